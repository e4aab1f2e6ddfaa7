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

' An existing file stays as it was without the flag...
other = Host.ScratchPath("existing.txt")
Host.WriteText other, "keep me"
Check f.SaveAs(other) = False, "SaveAs onto an existing file"
Check f.SaveAs(other, False) = False, "SaveAs with False"
Check Host.FileHex(other) = "6B656570206D65", "existing file untouched"
' ...and is replaced by exactly the item's bytes with it.
Check f.SaveAs(other, True) = True, "SaveAs with overwrite"
Check f.SaveAs(other, True) = True, "SaveAs with overwrite again"
Check Host.FileHex(other) = Host.FileHex(path), "overwritten with the exact bytes"

' A plain field saves its bytes as sent; an empty path is false.
Check up("title").SaveAs(Host.ScratchPath("title.txt")) = True, "field SaveAs"
Check Host.FileHex(Host.ScratchPath("title.txt")) = "48656C6C6F", "field bytes"
Check f.SaveAs("") = False, "empty path"
Check f.SaveAs(Host.ScratchPath("missing\dir.txt")) = False, "missing folder"
WScript.Echo "PASS"
