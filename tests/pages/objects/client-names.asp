<%' run-args: --method POST --body ../data/client-names.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<!-- #include file="check.inc" -->
<% ' Rows: the client's file name, then FileName and FileExt ("" where none comes back).
long255 = String(255, "b"): rows = Array( _
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

Check up.Count = UBound(rows) + 1, "Count"
For i = 0 To UBound(rows)
    Set f = up(i)
    Check f.FilePath = rows(i)(0) And f.FileName = rows(i)(1) And f.FileExt = rows(i)(2), _
          "row " & i & ": " & f.FileName & " / " & f.FileExt
Next
Finish %>
