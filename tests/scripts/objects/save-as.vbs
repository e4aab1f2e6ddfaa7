' SaveAs through late binding: a new file once, never over an existing file
' without the overwrite flag, the exact bytes with it.
' scripthost-args: --upload-body data/items.body
Sub Check(ok, what)
    If Not ok Then WScript.Echo "FAIL: " & what: WScript.Quit 1
End Sub

Set up = Host.NewUpload()
Set f = up("file1")
path = Host.ScratchPath("report.doc")
Check f.SaveAs(path) = True, "first SaveAs"
Check f.SaveAs(path) = False, "second SaveAs without overwrite"
Check Host.FileHex(path) = "61626300646566FF", "saved bytes " & Host.FileHex(path)

' A plain field saves its bytes as sent; the file it made stays as it was
' when another item is saved onto it without the overwrite flag...
other = Host.ScratchPath("title.txt")
Check up("title").SaveAs(other) = True, "field SaveAs"
Check Host.FileHex(other) = "48656C6C6F", "field bytes"
Check f.SaveAs(other) = False, "SaveAs onto an existing file"
Check f.SaveAs(other, False) = False, "SaveAs with False"
Check Host.FileHex(other) = "48656C6C6F", "existing file untouched"
' ...and is replaced by exactly the item's bytes with it.
Check f.SaveAs(other, True) = True, "SaveAs with overwrite"
Check f.SaveAs(other, True) = True, "SaveAs with overwrite again"
Check Host.FileHex(other) = Host.FileHex(path), "overwritten with the exact bytes"
Check up("title").SaveAs(other, True) = True, "a shorter item over a longer file"
Check Host.FileHex(other) = "48656C6C6F", "the longer file's tail is gone"

' An empty path or a missing folder is false.
Check f.SaveAs("") = False, "empty path"
Check f.SaveAs(Host.ScratchPath("missing\dir.txt")) = False, "missing folder"
WScript.Echo "PASS"
