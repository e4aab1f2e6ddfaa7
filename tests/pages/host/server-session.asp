<%' expect-text: Set-Cookie: ASPSESSIONID %>
<%' expect-text: PASS %>
<% ' Server's helpers and ScriptTimeout, Session and Application values.
Sub Check(ok, what): If Not ok Then Response.Write "FAIL: " & what & vbCrLf
End Sub
root = Server.MapPath("/"): Check Server.MapPath("/inc/bad.inc") = root & "\inc\bad.inc", "virtual path"
Check Server.MapPath("inc/./x/../bad.inc") = root & "\inc\bad.inc", "relative path"
On Error Resume Next: escaped = Server.MapPath("/inc/../../outside")
Check Err.Number <> 0, "MapPath out of the root must fail: " & escaped
On Error Goto 0
Check Server.HTMLEncode("<a href=""x"">&</a>") = "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;", "HTMLEncode"
Check Server.URLEncode("a b&c/d") = "a+b%26c%2Fd", "URLEncode " & Server.URLEncode("a b&c/d")
Check Server.ScriptTimeout = 90, "default ScriptTimeout"
Server.ScriptTimeout = 30: Check Server.ScriptTimeout = 30, "ScriptTimeout put"
Session("count") = 5: Check Session.Contents("COUNT") = 5 And Session.Timeout = 20 And Len(Session.SessionID) > 0, "Session"
Application.Lock: Application("hits") = Application("hits") + 1: Application.UnLock: Check Application.Contents("hits") = 1, "application value"
Set made = Server.CreateObject("Scripting.Dictionary"): made.Add "k", "v": Check made("k") = "v", "CreateObject of a component without OnStartPage"
Response.Write "PASS" %>
