<!-- #include file="check-vbscript.inc" -->
<%
' Both classes are created by their ProgIDs, versioned and not, through the
' registration that the library wrote for itself. Made by the engine rather
' than the page, an Upload object has no request: Count fails with the
' library's own status, message and source, once: the object stays usable.
' A ProgID that does not create its object ends the page with a script error.
For Each progId In Array("TavrinUpload.Upload", "TavrinUpload.Upload.1", _
                         "TavrinUpload.UploadFile", "TavrinUpload.UploadFile.1")
    Set made = Server.CreateObject(progId)
Next

Set upload = CreateObject("TavrinUpload.Upload")
CheckEqual "initial MaxSize", 10485760, upload.MaxSize
CheckEqual "initial PageCode", 65535, upload.PageCode
On Error Resume Next
count = upload.Count
number = Err.Number
description = Err.Description
source = Err.Source
On Error GoTo 0
CheckEqual "Count's Err.Number", Hex(&H80004021), Hex(number)
CheckEqual "Count's Err.Description", "Only use in ASP environment", description
CheckEqual "Count's Err.Source", "TavrinUpload.Upload.1", source
On Error Resume Next
again = upload.Count
againNumber = Err.Number
On Error GoTo 0
CheckEqual "second Count's Err.Number", 0, againNumber
CheckEqual "second Count", 0, again
Check Len(upload.About) > 0, "About after the failure", upload.About
Finish
%>
