<%' run-args: --method POST --body ../data/client-names.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<!-- #include file="check-vbscript.inc" -->
<%
' What FileName and FileExt give for the file names that clients send.
long255 = String(255, "b")
' Client file name, FileName, FileExt ("" where none comes back).
rows = Array( _
    Array("C:\Documents and Settings\me\My Documents\report.final.doc", "report.final.doc", "doc"), _
    Array("photo.jpg", "photo.jpg", "jpg"), _
    Array("/home/me/archive.tar.gz", "archive.tar.gz", "gz"), _
    Array("C:\old.dir\README", "README", ""), _
    Array(".profile", ".profile", "profile"), _
    Array("name.", "name.", ""), _
    Array("C:", "", ""), _
    Array("C:\dir\", "", ""), _
    Array(String(256, "b") & ".txt", "", ""), _
    Array(long255 & ".txt", long255 & ".txt", "txt"))

Set up = Server.CreateObject("TavrinUpload.Upload")
CheckEqual "Count", UBound(rows) + 1, up.Count
For i = 0 To UBound(rows)
    Set f = up(i)
    CheckEqual "FilePath of row " & i, rows(i)(0), f.FilePath
    CheckEqual "FileName of row " & i, rows(i)(1), f.FileName
    CheckEqual "FileExt of row " & i, rows(i)(2), f.FileExt
Next
Finish
%>
