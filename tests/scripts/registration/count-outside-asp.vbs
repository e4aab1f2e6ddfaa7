' An Upload object created outside a page has no request to read: Count
' fails with the library's own message, source and status.
Sub Fail(message)
    WScript.Echo "FAIL: " & message
    WScript.Quit 1
End Sub

Dim upload, count
Set upload = CreateObject("TavrinUpload.Upload")
On Error Resume Next
count = upload.Count
Dim number, description, source
number = Err.Number
description = Err.Description
source = Err.Source
On Error GoTo 0
If number = 0 Then Fail "Count succeeded outside a page"
If number <> &H80004021 Then Fail "Err.Number is " & Hex(number)
If description <> "Only use in ASP environment" Then Fail "Err.Description is " & description
If source <> "TavrinUpload.Upload.1" Then Fail "Err.Source is " & source

' The failure leaves the object usable.
If Len(upload.About) = 0 Then Fail "About is empty after the failure"
WScript.Echo "PASS"
