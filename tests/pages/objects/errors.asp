<%' run-args: --method POST --body ../data/bad-format.body --content-type "multipart/form-data; boundary=XYZ" %>
<!-- #include file="check-vbscript.inc" -->
<%
' A body whose closing delimiter never comes: the failure reaches Err with
' number and description through Item by name (Wine 8's VBScript drops the
' error information of a failing call through the default member, up(0)).
' Count outside a page: registration/create-by-progid.asp.
Set up = Server.CreateObject("TavrinUpload.Upload")
On Error Resume Next
Set f = up.Item(0)
number = Err.Number
description = Err.Description
On Error GoTo 0
CheckEqual "Item's Err.Number", Hex(&H80020009), Hex(number)
CheckEqual "Item's Err.Description", "Invalid upload file format", description
Check IsEmpty(f), "a failed Item to assign nothing", f
Finish
%>
