<%' run-args: --method POST --body ../data/items.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<!-- #include file="check-vbscript.inc" -->
<!-- #include file="files.inc" -->
<%
' SaveAs through late binding: a new file once, never over an existing file
' without the overwrite flag, the exact bytes with it.
Set up = Server.CreateObject("TavrinUpload.Upload")
Set f = up("file1")
path = scratch & "\report.doc"
CheckEqual "first SaveAs", True, f.SaveAs(path)
CheckEqual "second SaveAs without overwrite", False, f.SaveAs(path)
CheckEqual "saved bytes", "61626300646566FF", FileHex(path)

' A plain field saves its bytes as sent; the file it made stays as it was
' when another item is saved onto it without the overwrite flag...
other = scratch & "\title.txt"
CheckEqual "SaveAs of a field", True, up("title").SaveAs(other)
CheckEqual "a field's saved bytes", "48656C6C6F", FileHex(other)
CheckEqual "SaveAs onto an existing file", False, f.SaveAs(other)
CheckEqual "SaveAs onto an existing file with False", False, f.SaveAs(other, False)
CheckEqual "bytes of the existing file", "48656C6C6F", FileHex(other)
' ...and is replaced by exactly the item's bytes with it.
CheckEqual "SaveAs with overwrite", True, f.SaveAs(other, True)
CheckEqual "SaveAs with overwrite again", True, f.SaveAs(other, True)
CheckEqual "bytes of the overwritten file", "61626300646566FF", FileHex(other)
CheckEqual "SaveAs of a shorter item over a longer file", True, up("title").SaveAs(other, True)
CheckEqual "bytes after the shorter item", "48656C6C6F", FileHex(other)

' An empty path or a missing folder is false.
CheckEqual "SaveAs to an empty path", False, f.SaveAs("")
CheckEqual "SaveAs into a missing folder", False, f.SaveAs(scratch & "\missing\dir.txt")
RemoveScratch
Finish
%>
