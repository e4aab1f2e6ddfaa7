<%' run-args: --method POST --body ../data/bad-format.body --content-type "multipart/form-data; boundary=XYZ" %>
<!-- #include file="check.inc" -->
<% ' No closing delimiter: Err gets number and text through up.Item(0) (Wine 8 drops them for up(0)).
On Error Resume Next: Set f = up.Item(0)
number = Err.Number: description = Err.Description: On Error Goto 0
Check number = &H80020009 And description = "Invalid upload file format" And IsEmpty(f), "Item: " & Hex(number) & " " & description
Finish %>
