<%' expect-text: Connection: close %>
<%' expect-text: early late PASS %>
<!-- #include file="check-vbscript.inc" -->
<%
' After Flush the head is out: no Content-Length, the connection closes,
' and headers can no longer change.
Response.Write "early "
Response.Flush
Response.Write "late "
On Error Resume Next
Response.AddHeader "X-Late", "1"
number = Err.Number
On Error GoTo 0
Check number <> 0, "an error from AddHeader after Flush", number
Finish
%>
