<%' run-args: --method POST --body ../data/items.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<!-- #include file="check.inc" -->
<% ' Items by position and by name through late binding.
Check up.Count = 4 And up(0).Name = "file1" And up("FILE1").FilePath = "C:\docs\report.final.doc", "up(0), up(""FILE1"")"
Check up("FILE1").Size = 8 And up.Item(1).Content = "Hello", "a name finds the first of two parts; Item(1)"
Check up("title") = "Hello", "Content is the item's default member"
Check up(0).FileName = "report.final.doc" And up(0).FileExt = "doc", "FileName, FileExt"
Check up(0).ContentType = "application/msword", "ContentType"
Check up(2).Content = "second", "third part"
' A plain field has no file name, type or extension, only a size.
Set title = up(1): Check title.FilePath & title.FileName & title.FileExt & title.ContentType = "" And title.Size = 5, "field"
' An empty file input: no file name, size 0, Empty text, no bytes.
Set blank = up("empty"): Check blank.Size = 0 And blank.FileName = "" And IsEmpty(blank.Content), "empty file input"
Check VarType(blank.Content(False)) = 8209 And BytesHex(blank.Content(False)) = "", "no bytes"
' Content(False) is the exact bytes (vbArray + vbByte); as text, 0xFF decides code page 0 (1252 here).
bytes = up(0).Content(False): Check VarType(bytes) = 8209 And BytesHex(bytes) = "61626300646566FF", "bytes " & BytesHex(bytes)
Check up(0).Content(True) = "abc" & Chr(0) & "def" & Chr(255), "as text"
' Out of range, unknown names and unusable index types give an item bound to nothing, without an error.
For Each index In Array(4, -1, "nosuch", "", CDbl(1), CByte(1), True)
    Set none = up(index)
    Check none.Name & none.FilePath = "" And none.Size = 0 And Not none.SaveAs(scratch & "\none.bin"), "index " & CStr(index)
Next
Check Not fso.FileExists(scratch & "\none.bin"), "SaveAs of nothing made a file"
position = 2: Check up(position).Content = "second" And up.Item(position).Name = "file1", "index by reference"
Check Not (up(0) Is up(0)), "Item returns distinct objects"
Check up.MaxSize = 10485760 And InStr(up.About, "TavrinUpload") = 1, "MaxSize default, About"
Finish %>
