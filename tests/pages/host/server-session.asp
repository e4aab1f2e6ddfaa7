<%' expect-text: Set-Cookie: ASPSESSIONID %>
<%' expect-text: PASS %>
<!-- #include file="check-vbscript.inc" -->
<%
' Server's helpers and ScriptTimeout, Session and Application values.
root = Server.MapPath("/")
CheckEqual "MapPath of a virtual path", root & "\inc\bad.inc", Server.MapPath("/inc/bad.inc")
CheckEqual "MapPath of a relative path", root & "\inc\bad.inc", Server.MapPath("inc/./x/../bad.inc")
On Error Resume Next
escaped = Server.MapPath("/inc/../../outside")
number = Err.Number
On Error GoTo 0
Check number <> 0, "an error from MapPath out of the root", escaped
CheckEqual "HTMLEncode", "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;", Server.HTMLEncode("<a href=""x"">&</a>")
CheckEqual "URLEncode", "a+b%26c%2Fd", Server.URLEncode("a b&c/d")
CheckEqual "ScriptTimeout by default", 90, Server.ScriptTimeout
Server.ScriptTimeout = 30
CheckEqual "ScriptTimeout after it was set", 30, Server.ScriptTimeout

Session("count") = 5
CheckEqual "Session.Contents(""COUNT""), the name in any case", 5, Session.Contents("COUNT")
CheckEqual "Session.Timeout", 20, Session.Timeout
Check Len(Session.SessionID) > 0, "a SessionID", Session.SessionID
Application.Lock
Application("hits") = Application("hits") + 1
Application.UnLock
CheckEqual "Application.Contents(""hits"")", 1, Application.Contents("hits")
Set made = Server.CreateObject("Scripting.Dictionary")
made.Add "k", "v"
CheckEqual "a value of a component without OnStartPage", "v", made("k")
Finish
%>
