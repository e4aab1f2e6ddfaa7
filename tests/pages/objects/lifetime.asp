<%' run-args: --method POST --body ../data/items.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<!-- #include file="check-vbscript.inc" -->
<!-- #include file="files.inc" -->
<%
' An item outliving its Upload object still reads and saves its part.
Set up = Server.CreateObject("TavrinUpload.Upload")
Set f = up("FILE1")
Set up = Nothing
CheckEqual "FileName", "report.final.doc", f.FileName
CheckEqual "Size", 8, f.Size
CheckEqual "Content", "abc" & Chr(0) & "def" & Chr(255), f.Content
path = scratch & "\dll.bin"
CheckEqual "first SaveAs", True, f.SaveAs(path)
CheckEqual "second SaveAs", False, f.SaveAs(path)
CheckEqual "saved bytes", "61626300646566FF", FileHex(path)
RemoveScratch
Finish
%>
