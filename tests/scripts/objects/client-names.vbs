' What FileName and FileExt give for the file names that clients send.
' scripthost-args: --upload-body data/client-names.body
Sub Check(ok, what)
    If Not ok Then WScript.Echo "FAIL: " & what: WScript.Quit 1
End Sub

long255 = String(255, "b")
' Client file name, FileName, FileExt; Null where no value comes back.
rows = Array( _
    Array("C:\Documents and Settings\me\My Documents\report.final.doc", "report.final.doc", "doc"), _
    Array("photo.jpg", "photo.jpg", "jpg"), _
    Array("/home/me/archive.tar.gz", "archive.tar.gz", "gz"), _
    Array("C:\old.dir\README", "README", Null), _
    Array(".profile", ".profile", "profile"), _
    Array("name.", "name.", ""), _
    Array("C:", "", Null), _
    Array("C:\dir\", "", Null), _
    Array(String(256, "b") & ".txt", "", Null), _
    Array(long255 & ".txt", long255 & ".txt", "txt"))

Set up = Host.NewUpload()
Check up.Count = UBound(rows) + 1, "Count"
For i = 0 To UBound(rows)
    Set f = up(i)
    Check f.FilePath = rows(i)(0), "FilePath of row " & i
    Check f.FileName = rows(i)(1), "FileName of row " & i & ": " & f.FileName
    If IsNull(rows(i)(2)) Then
        Check f.FileExt = "", "no FileExt for row " & i
    Else
        Check f.FileExt = rows(i)(2), "FileExt of row " & i & ": " & f.FileExt
    End If
Next
WScript.Echo "PASS"
