' Upload objects made by the built DLL through its class object: the DLL
' stays needed while a page's Upload object or any item taken from it lives,
' and an item outliving its Upload object still reads and saves its part.
' scripthost-args: --upload-body data/items.body
Sub Check(ok, what)
    If Not ok Then WScript.Echo "FAIL: " & what: WScript.Quit 1
End Sub

Check Host.CanUnload, "nothing alive at first"
Set up = Host.NewUpload()
Check Not Host.CanUnload, "an Upload object holds the DLL"
Set f = up("FILE1")
Set up = Nothing
Check Not Host.CanUnload, "the item holds the DLL and its Upload object"
Check f.FileName = "report.final.doc" And f.Size = 8, "the item still reports its record"
Check f.Content = "abc" & Chr(0) & "def" & Chr(255), "the item still reads its content"
path = Host.ScratchPath("dll.bin")
Check f.SaveAs(path) And Not f.SaveAs(path), "SaveAs True then False"
Check Host.FileHex(path) = "61626300646566FF", "saved bytes"
Set f = Nothing
Check Host.CanUnload, "releasing the item releases everything"
WScript.Echo "PASS"
