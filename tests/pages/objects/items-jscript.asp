<%@ Language="JScript" %>
<%// run-args: --method POST --body ../data/items.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<!-- #include file="check-jscript.inc" -->
<%
// Items and their text in JScript, which reads a property without
// arguments as f.Content, not f.Content().
var up = Server.CreateObject("TavrinUpload.Upload");
checkEqual("Count", 4, up.Count);
checkEqual("up(0).Name", "file1", up(0).Name);
checkEqual("up(\"FILE1\").FilePath", "C:\\docs\\report.final.doc", up("FILE1").FilePath);
checkEqual("up(\"FILE1\").FileName", "report.final.doc", up("FILE1").FileName);
checkEqual("Content of bytes with 0xFF", "abc\0def\u00FF", up(0).Content);
checkEqual("PageCode after 0xFF", 0, up.PageCode);
checkEqual("Item(1).Content", "Hello", up.Item(1).Content);
checkEqual("Item(1).Content(true)", "Hello", up.Item(1).Content(true));
checkEqual("Content of an empty text", undefined, up.Item(3).Content);
checkEqual("Name of an index out of range", "", up.Item(9).Name);
finish();
%>
