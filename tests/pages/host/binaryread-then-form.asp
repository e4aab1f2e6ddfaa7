<%' run-args: --body data/form.body --content-type application/x-www-form-urlencoded %>
<%' expect-text: [b=form] %>
<%' expect-text: PASS %>
<% ' BinaryRead reads what is asked, up to the body's end, and writes back the count; Form fails after it.
Sub Check(ok, what): If Not ok Then Response.Write "FAIL: " & what & vbCrLf
End Sub
n = 6: bytes = Request.BinaryRead(n): Check n = 6 And VarType(bytes) = 8209, "count written back, a byte array: " & VarType(bytes)
Response.Write "[": Response.BinaryWrite bytes: Response.Write "]"
n = 100: rest = Request.BinaryRead(n): Check n = 20, "the rest of the body: " & n
n = 10: Request.BinaryRead n: Check n = 0, "nothing after the end: " & n
On Error Resume Next: x = Request.Form("b")
Check Err.Number <> 0 And InStr(Err.Description, "BinaryRead") > 0, "Form after BinaryRead: " & Err.Description
On Error Goto 0
Response.Write "PASS" %>
