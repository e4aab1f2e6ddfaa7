' An Upload object dropped by the script while one of its items lives keeps
' working through the item, and goes when the item goes.
' scripthost-args: --upload-body data/items.body
Sub Check(ok, what)
    If Not ok Then WScript.Echo "FAIL: " & what: WScript.Quit 1
End Sub

Check Host.CanUnload, "nothing alive at first"
Set up = Host.NewUpload()
Set f = up(0)
Set up = Nothing
Check Not Host.CanUnload, "the item keeps the objects alive"
Check f.Name = "file1" And f.Size = 8, "the item still reports its record"
Check f.Content = "abc" & Chr(0) & "def" & Chr(255), "the item still reads its content"
Check f.SaveAs(Host.ScratchPath("kept.bin")) = True, "the item still saves"
Set f = Nothing
Check Host.CanUnload, "releasing the item destroys the Upload object"
WScript.Echo "PASS"
