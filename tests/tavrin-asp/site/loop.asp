<%
Server.ScriptTimeout = 2
Do
Loop
%>
