<%' run-args: --method POST --body ../data/items.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<!-- #include file="check.inc" -->
<% ' SaveAs makes a new file once, never overwrites without the flag, and writes the exact bytes with it.
Set f = up("file1"): path = scratch & "\report.doc"
Check f.SaveAs(path) = True And f.SaveAs(path) = False, "SaveAs once, not twice without overwrite"
Check FileHex(path) = "61626300646566FF", "saved bytes " & FileHex(path)
' A field saves its bytes as sent; another item saved onto that file leaves it unless overwriting.
other = scratch & "\title.txt": Check up("title").SaveAs(other) = True And FileHex(other) = "48656C6C6F", "field SaveAs, its bytes"
Check f.SaveAs(other) = False And f.SaveAs(other, False) = False, "SaveAs onto an existing file"
Check FileHex(other) = "48656C6C6F", "existing file untouched"
Check f.SaveAs(other, True) = True And f.SaveAs(other, True) = True, "SaveAs with overwrite, twice"
Check FileHex(other) = FileHex(path), "overwritten with the exact bytes"
Check up("title").SaveAs(other, True) = True, "a shorter item over a longer file"
Check FileHex(other) = "48656C6C6F", "the longer file's tail is gone"
' An empty path or a missing folder is false.
Check f.SaveAs("") = False And f.SaveAs(scratch & "\missing\dir.txt") = False, "empty path, missing folder"
Finish %>
