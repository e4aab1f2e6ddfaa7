<%@ Language=VBScript CodePage=1252 %>
<%' expect-status: 201 %>
<%' expect-text: HTTP/1.1 201 Created %>
<%' expect-text: Content-Type: text/plain; charset=utf-8 %>
<%' expect-text: Content-Length: 10 %>
<%' expect-text: X-Page: yes %>
<%' expect-text: Cache-Control: no-cache %>
<%' expect-text: Set-Cookie: flavour=oat+meal; path=/ %>
<%' expect-text: Set-Cookie: pref=k=v%2F1&j=2; path=/app %>
<%' expect-text: Expires: %>
<%' expect-text: café PASS %>
<%
' Status, headers and cookies, Clear dropping what is buffered, CodePage
' encoding written text (é as two UTF-8 bytes: 10 bytes in all), End ending the page
' without an error.
Response.Write "FAIL: cleared text was sent"
Response.Clear
Response.Status = "201 Created"
Response.ContentType = "text/plain"
Response.Charset = "utf-8"
Response.CacheControl = "no-cache"
Response.AddHeader "X-Page", "yes"
Response.Cookies("flavour") = "oat meal"
Set pref = Response.Cookies("pref")
pref.Item("k") = "v/1"
pref.Item("j") = "2"
pref.Path = "/app"
Response.Expires = 10
Response.CodePage = 65001
Response.Write "caf" & Chr(233) & " PASS"
Response.End
Response.Write "FAIL: written after End"
%>
