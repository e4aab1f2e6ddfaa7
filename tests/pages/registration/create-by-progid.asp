<% ' Both classes by ProgID; an Upload made outside a page fails Count once, with status, text and source.
Sub Check(ok, what): If Not ok Then Response.Write "FAIL: " & what & vbCrLf
End Sub

For Each progId In Array("TavrinUpload.Upload", "TavrinUpload.Upload.1", _
                         "TavrinUpload.UploadFile", "TavrinUpload.UploadFile.1")
    Check IsObject(Server.CreateObject(progId)), progId & " gave no object"
Next
Set upload = CreateObject("TavrinUpload.Upload")
Check upload.MaxSize = 10485760 And upload.PageCode = 65535, "initial MaxSize and PageCode"
On Error Resume Next: count = upload.Count
number = Err.Number: description = Err.Description: source = Err.Source
Err.Clear: again = upload.Count: againNumber = Err.Number: On Error GoTo 0
Check number = &H80004021 And source = "TavrinUpload.Upload.1", "Err.Number and Source: " & Hex(number) & " " & source
Check description = "Only use in ASP environment", "Err.Description is " & description
Check againNumber = 0 And again = 0, "a second Count succeeds with 0"
Check VarType(upload.About) = vbString And Len(upload.About) > 0, "About after the failure"
Response.Write "PASS" %>
