<%@ Language="JScript" %>
<!-- #include file="check-jscript.inc" -->
<%
// Both classes are created by their ProgIDs from JScript. Made by the
// engine rather than the page, an Upload object has no request: Count fails
// with the library's own status and message (JScript's error object carries
// no source), and the object stays usable.
var progIds = ["TavrinUpload.Upload", "TavrinUpload.Upload.1",
               "TavrinUpload.UploadFile", "TavrinUpload.UploadFile.1"];
// A ProgID that does not create its object ends the page with a script error.
for (var i = 0; i < progIds.length; ++i)
    new ActiveXObject(progIds[i]);

var upload = new ActiveXObject("TavrinUpload.Upload");
checkEqual("initial MaxSize", 10485760, upload.MaxSize);
checkEqual("initial PageCode", 65535, upload.PageCode);
var caught = null;
try {
    var count = upload.Count;
} catch (e) {
    caught = e;
}
check(caught !== null, "Count to fail outside a page", count);
if (caught !== null) {
    // 0x80004021 as the signed number JScript reports.
    checkEqual("Count's error number", 0x80004021 - 0x100000000, caught.number);
    checkEqual("Count's error message", "Only use in ASP environment", caught.message);
    checkEqual("Count's error description", "Only use in ASP environment", caught.description);
}
var about = upload.About;
checkEqual("type of About after the failure", "string", typeof about);
check(about.length > 0, "a non-empty About after the failure", about);
finish();
%>
