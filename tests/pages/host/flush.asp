<%' expect-text: Connection: close %>
<%' expect-text: early late PASS %>
<% ' After Flush the head is out: no Content-Length, the connection closes, headers are fixed.
Response.Write "early ": Response.Flush: Response.Write "late "
On Error Resume Next: Response.AddHeader "X-Late", "1"
If Err.Number = 0 Then Response.Write "FAIL: AddHeader after Flush "
On Error Goto 0
Response.Write "PASS" %>
