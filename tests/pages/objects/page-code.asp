<%@ Language="JScript" %>
<%// run-args: --method POST --body ../data/pagecode.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<% // The page code that reading Content as text decides, and keeps; UTF-8 content sets 65001.
function check(ok, what) { if (!ok) throw new Error("FAIL: " + what); }
var up = Server.CreateObject("TavrinUpload.Upload");
check(up.PageCode == 65535 && up("ascii").Content == "plain" && up.PageCode == 65535, "ascii decides nothing");
check(up("utf8").Content == "\u4E2D" && up.PageCode == 65001, "utf-8 content sets 65001");
// Back to automatic: 0xFF sets 0; UTF-8 read afterwards is decoded with 0 (1252 here).
up.PageCode = 65535; check(up("image").Content.length == 8 && up.PageCode == 0, "image as text, 0xFF sets 0");
check(up("utf8").Content == "\u00E4\u00B8\u00AD" && up.PageCode == 0, "utf-8 under code page 0, kept");
// A page code set beforehand is never changed.
up.PageCode = 1252; check(up("utf8").Content == "\u00E4\u00B8\u00AD" && up("image").Content == "\u00FF\u00D8\u00FF\u00E0JFIF" &&
      up.PageCode == 1252, "1252 is used as set, and kept");
up.PageCode = 65001; check(up("utf8").Content == "\u4E2D" && up("image").Content.length > 0 && up.PageCode == 65001, "65001 kept");
Response.Write("PASS"); %>
