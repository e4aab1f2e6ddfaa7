<%@ Language="JScript" %>
<%// run-args: --method POST --body ../data/pagecode.body --content-type "multipart/form-data; boundary=----TavrinScriptBoundary7MA4YWxk" %>
<!-- #include file="check-jscript.inc" -->
<%
// The page-code decision that reading Content as text takes, and keeps;
// JScript compares the texts unit for unit.

// UTF-8 content sets 65001 and is decoded as UTF-8.
var up = Server.CreateObject("TavrinUpload.Upload");
checkEqual("PageCode at first", 65535, up.PageCode);
checkEqual("ascii content", "plain", up("ascii").Content);
checkEqual("PageCode after ascii", 65535, up.PageCode);
checkEqual("utf-8 content", "\u4E2D", up("utf8").Content);
checkEqual("PageCode after utf-8", 65001, up.PageCode);

// Back to automatic: a byte such as 0xFF sets 0; UTF-8 read afterwards is
// decoded with code page 0 (1252 here), not as UTF-8.
up.PageCode = 65535;
checkEqual("length of the image as text", 8, up("image").Content.length);
checkEqual("PageCode after 0xFF", 0, up.PageCode);
checkEqual("utf-8 content under code page 0", "\u00E4\u00B8\u00AD", up("utf8").Content);
checkEqual("PageCode after utf-8 under code page 0", 0, up.PageCode);

// A page code set beforehand is never changed.
up.PageCode = 1252;
checkEqual("utf-8 content under 1252", "\u00E4\u00B8\u00AD", up("utf8").Content);
checkEqual("image under 1252", "\u00FF\u00D8\u00FF\u00E0JFIF", up("image").Content);
checkEqual("PageCode after reading under 1252", 1252, up.PageCode);
up.PageCode = 65001;
checkEqual("utf-8 content under 65001", "\u4E2D", up("utf8").Content);
var image = up("image").Content;
check(image.length > 0, "the image as text under 65001", image);
checkEqual("PageCode after reading under 65001", 65001, up.PageCode);
finish();
%>
