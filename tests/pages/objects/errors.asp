<%' run-args: --method POST --body ../data/bad-format.body --content-type "multipart/form-data; boundary=XYZ" %>
<!-- #include file="check.inc" -->
<%
' Failures of the Upload object reach Err with number and description:
' through Item on a body whose closing delimiter never comes (by name:
' Wine 8's VBScript drops the error information of a failing call that goes
' through the default member, up(0)), and through Count outside a page.
Set up = Server.CreateObject("TavrinUpload.Upload")
On Error Resume Next
Set f = up.Item(0)
number = Err.Number: description = Err.Description
On Error Goto 0
Check number = &H80020009, "Item number " & Hex(number)
Check description = "Invalid upload file format", "Item description " & description
Check IsEmpty(f), "a failed Item assigns nothing"

' Made by the engine rather than the page, the object has no request.
Set bare = CreateObject("TavrinUpload.Upload")
On Error Resume Next
n = bare.Count
number = Err.Number: description = Err.Description
Err.Clear
again = bare.Count
againNumber = Err.Number
On Error Goto 0
Check number = &H80004021, "no host: " & Hex(number)
Check description = "Only use in ASP environment", "no host: " & description
Check againNumber = 0 And again = 0, "second Count without a host succeeds with 0"
Finish
%>
