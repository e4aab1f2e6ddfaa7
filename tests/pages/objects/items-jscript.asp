<%@ Language="JScript" %>
<%// run-args: --method POST --body ../data/items.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<% // Items and their text in JScript, which reads a property as f.Content, not f.Content().
function check(ok, what) { if (!ok) throw new Error("FAIL: " + what); }
var up = Server.CreateObject("TavrinUpload.Upload");
check(up.Count == 4 && up(0).Name == "file1", "Count, up(0)");
check(up("FILE1").FilePath == "C:\\docs\\report.final.doc" && up("FILE1").FileName == "report.final.doc", "up(\"FILE1\")");
check(up(0).Content == "abc\0def\u00FF" && up.PageCode == 0, "Content of bytes with 0xFF; it sets page code 0");
check(up.Item(1).Content == "Hello" && up.Item(1).Content(true) == "Hello", "Content, Content(true)");
check(up.Item(3).Content === undefined, "empty text is Empty");
check(up.Item(9).Name === undefined || up.Item(9).Name == "", "out of range");
Response.Write("PASS"); %>
