<%' run-args: --method POST --body ../data/items.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<!-- #include file="check-vbscript.inc" -->
<!-- #include file="files.inc" -->
<%
' Items by position and by name through late binding, from the posted body.
Set up = Server.CreateObject("TavrinUpload.Upload")
CheckEqual "Count", 4, up.Count
CheckEqual "up(0).Name", "file1", up(0).Name
CheckEqual "FilePath of up(""FILE1"")", "C:\docs\report.final.doc", up("FILE1").FilePath
CheckEqual "Size of up(""FILE1""), the first of two parts", 8, up("FILE1").Size
CheckEqual "up.Item(1).Content", "Hello", up.Item(1).Content
CheckEqual "up(""title""), the default member Content", "Hello", up("title")
CheckEqual "up(0).FileName", "report.final.doc", up(0).FileName
CheckEqual "up(0).FileExt", "doc", up(0).FileExt
CheckEqual "up(0).ContentType", "application/msword", up(0).ContentType
CheckEqual "up(2).Content", "second", up(2).Content

' A plain field has no file name, type or extension, only a size.
Set title = up(1)
CheckEqual "FilePath of a field", "", title.FilePath
CheckEqual "FileName of a field", "", title.FileName
CheckEqual "FileExt of a field", "", title.FileExt
CheckEqual "ContentType of a field", "", title.ContentType
CheckEqual "Size of a field", 5, title.Size

' An empty file input: no file name, size 0, Empty text, no bytes.
Set blank = up("empty")
CheckEqual "Size of an empty file input", 0, blank.Size
CheckEqual "FileName of an empty file input", "", blank.FileName
Check IsEmpty(blank.Content), "Empty as the text of an empty file input", blank.Content
CheckEqual "VarType of an empty file input's Content(False)", 8209, VarType(blank.Content(False))
CheckEqual "bytes of an empty file input", "", BytesHex(blank.Content(False))

' Content(False) is a byte array (vbArray + vbByte) holding the exact bytes;
' as text each byte is one character (0xFF decides code page 0, 1252 here).
bytes = up(0).Content(False)
CheckEqual "VarType of Content(False)", 8209, VarType(bytes)
CheckEqual "bytes of Content(False)", "61626300646566FF", BytesHex(bytes)
CheckEqual "Content(True)", "abc" & Chr(0) & "def" & Chr(255), up(0).Content(True)

' Out of range, unknown names and unusable index types give an item bound
' to nothing, without an error.
For Each index In Array(4, -1, "nosuch", "", CDbl(1), CByte(1), True)
    Set none = up(index)
    what = " of up(" & TypeName(index) & " " & index & ")"
    CheckEqual "Name" & what, "", none.Name
    CheckEqual "FilePath" & what, "", none.FilePath
    CheckEqual "Size" & what, 0, none.Size
    CheckEqual "SaveAs" & what, False, none.SaveAs(scratch & "\none.bin")
Next
Check Not fso.FileExists(scratch & "\none.bin"), "no file from SaveAs of nothing", scratch & "\none.bin"

' A variable passed by reference selects like its value.
position = 2
CheckEqual "up(position).Content", "second", up(position).Content
CheckEqual "up.Item(position).Name", "file1", up.Item(position).Name

Check Not (up(0) Is up(0)), "distinct objects from two Item calls", "one object"
CheckEqual "MaxSize by default", 10485760, up.MaxSize
CheckEqual "start of About", "TavrinUpload", Left(up.About, 12)
RemoveScratch
Finish
%>
