<%' expect-status: 302 %>
<%' expect-text: Location: /next.asp?x=1&y="<i> %>
<%' expect-text: <a HREF="/next.asp?x=1&amp;y=&quot;&lt;i&gt;">here</a> %>
<%' expect-text: Object moved %>
<%
' The body links the URL HTML-encoded: a quote in it must not end the
' attribute, nor a '<' start markup.
Response.Write "FAIL: written before Redirect"
Response.Redirect "/next.asp?x=1&y=""<i>"
Response.Write "FAIL: written after Redirect"
%>
