<%' run-args: --body data/form.body --content-type application/x-www-form-urlencoded %>
<%' expect-text: [b=form] %>
<%' expect-text: PASS %>
<!-- #include file="check-vbscript.inc" -->
<%
' BinaryRead takes what it is asked for, writes back the count it read,
' and stops at the end of the body; Form is refused after it.
n = 6
bytes = Request.BinaryRead(n)
CheckEqual "count written back", 6, n
CheckEqual "VarType of what BinaryRead gives", 8209, VarType(bytes)
Response.Write "["
Response.BinaryWrite bytes
Response.Write "]"
n = 100
rest = Request.BinaryRead(n)
CheckEqual "count of the rest of the body", 20, n
n = 10
Request.BinaryRead n
CheckEqual "count after the end", 0, n

On Error Resume Next
x = Request.Form("b")
number = Err.Number
description = Err.Description
On Error GoTo 0
Check number <> 0, "an error from Form after BinaryRead", number
Check InStr(description, "BinaryRead") > 0, "an error that names BinaryRead", description
Finish
%>
