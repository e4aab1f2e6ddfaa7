' Items by position and by name through late binding, from a body served by
' a stand-in ASP request.
' scripthost-args: --upload-body data/items.body
Sub Check(ok, what)
    If Not ok Then WScript.Echo "FAIL: " & what: WScript.Quit 1
End Sub

Set up = Host.NewUpload()
Check up.Count = 4, "Count"
Check up(0).Name = "file1", "up(0).Name"
Check up("FILE1").FilePath = "C:\docs\report.final.doc", "up(""FILE1"") finds file1"
Check up("FILE1").Size = 8, "a name finds the first of two parts"
Check up.Item(1).Content = "Hello", "up.Item(1).Content"
Check up("title") = "Hello", "Content is the item's default member"
Check up(0).FileName = "report.final.doc", "FileName"
Check up(0).FileExt = "doc", "FileExt"
Check up(0).ContentType = "application/msword", "ContentType"
Check up(2).Content = "second", "third part"

' A plain field has no file name, type or extension, only a size.
Set title = up(1)
Check title.FilePath = "" And title.FileName = "" And title.FileExt = "", "field has no file"
Check title.ContentType = "", "field has no type"
Check title.Size = 5, "field size"

' An empty file input: no file name, size 0, empty text.
Set blank = up("empty")
Check blank.Size = 0 And blank.FileName = "", "empty file input"
Check IsEmpty(blank.Content), "empty content is Empty"
Check Host.Describe(blank.Content(False)) = "bytes from 0: ", "empty content as bytes"

' Content(False) is a byte array (vbArray + vbByte) holding the exact bytes.
bytes = up(0).Content(False)
Check VarType(bytes) = 8209, "VarType of Content(False) " & VarType(bytes)
Check Host.Describe(bytes) = "bytes from 0: 61626300646566FF", Host.Describe(bytes)
Check Host.Describe(up(0).Content(True)) = "text 006100620063000000640065006600FF", "as text"

' Out of range, unknown names and unusable index types give an item bound
' to nothing, without an error.
For Each index In Array(4, -1, "nosuch", "", CDbl(1), CByte(1), True)
    Set none = up(index)
    Check none.Name = "" And none.Size = 0 And none.FilePath = "", "index " & CStr(index)
    Check none.SaveAs(Host.ScratchPath("none.bin")) = False, "SaveAs of nothing"
Next
Check Host.FileHex(Host.ScratchPath("none.bin")) = "", "SaveAs of nothing made a file"

' A variable passed by reference selects like its value.
position = 2
Check up(position).Content = "second", "index by reference"
Check up.Item(position).Name = "file1", "Item by reference"

' Every call gives a new object.
Check Not (up(0) Is up(0)), "Item returns distinct objects"

Check up.MaxSize = 10485760, "MaxSize default"
Check InStr(up.About, "TavrinUpload") = 1, "About"
WScript.Echo "PASS"
