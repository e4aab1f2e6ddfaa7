<%' run-args: --method POST --body ../data/items.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<!-- #include file="check.inc" -->
<% ' An item outliving its Upload object still reads and saves its part.
Set f = up("FILE1"): Set up = Nothing
Check f.FileName = "report.final.doc" And f.Size = 8 And f.Content = "abc" & Chr(0) & "def" & Chr(255), "record, content"
path = scratch & "\dll.bin": Check f.SaveAs(path) And Not f.SaveAs(path), "SaveAs True then False"
Check FileHex(path) = "61626300646566FF", "saved bytes"
Finish %>
