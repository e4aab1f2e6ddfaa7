' Both classes are created by their ProgIDs, versioned and not, through the
' registration that the library wrote for itself, and the Upload object
' answers About late-bound.
Sub Fail(message)
    WScript.Echo "FAIL: " & message
    WScript.Quit 1
End Sub

Dim progId
For Each progId In Array("TavrinUpload.Upload", "TavrinUpload.Upload.1", _
                         "TavrinUpload.UploadFile", "TavrinUpload.UploadFile.1")
    Dim created
    Set created = CreateObject(progId)
    If Not IsObject(created) Then Fail progId & " gave no object"
    Set created = Nothing
Next

Dim upload, about
Set upload = CreateObject("TavrinUpload.Upload")
about = upload.About
If VarType(about) <> vbString Then Fail "About is of type " & TypeName(about)
If Len(about) = 0 Then Fail "About is empty"
If upload.MaxSize <> 10485760 Then Fail "MaxSize starts at " & upload.MaxSize
If upload.PageCode <> 65535 Then Fail "PageCode starts at " & upload.PageCode
WScript.Echo "PASS"
