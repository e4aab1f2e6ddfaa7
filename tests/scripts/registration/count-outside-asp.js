// An Upload object created outside a page has no request to read: Count
// fails with the library's own message and status. JScript's error object
// carries no source.
function fail(message) {
    WScript.Echo("FAIL: " + message);
    WScript.Quit(1);
}

var upload = new ActiveXObject("TavrinUpload.Upload");
var caught = null;
try {
    var count = upload.Count;
} catch (e) {
    caught = e;
}
if (caught === null) fail("Count succeeded outside a page");
// 0x80004021 as the signed number JScript reports.
if (caught.number !== 0x80004021 - 0x100000000) fail("number is " + caught.number);
if (caught.message !== "Only use in ASP environment") fail("message is " + caught.message);
if (caught.description !== "Only use in ASP environment")
    fail("description is " + caught.description);

if (upload.About.length === 0) fail("About is empty after the failure");
WScript.Echo("PASS");
