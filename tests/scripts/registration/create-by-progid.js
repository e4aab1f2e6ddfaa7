// Both classes are created by their ProgIDs, versioned and not, through the
// registration that the library wrote for itself, and the Upload object
// answers About late-bound.
function fail(message) {
    WScript.Echo("FAIL: " + message);
    WScript.Quit(1);
}

var progIds = ["TavrinUpload.Upload", "TavrinUpload.Upload.1",
               "TavrinUpload.UploadFile", "TavrinUpload.UploadFile.1"];
for (var i = 0; i < progIds.length; ++i) {
    var created = new ActiveXObject(progIds[i]);
    if (typeof created !== "object" || created === null)
        fail(progIds[i] + " gave " + typeof created);
}

var upload = new ActiveXObject("TavrinUpload.Upload");
var about = upload.About;
if (typeof about !== "string") fail("About is a " + typeof about);
if (about.length === 0) fail("About is empty");
if (upload.MaxSize !== 10485760) fail("MaxSize starts at " + upload.MaxSize);
if (upload.PageCode !== 65535) fail("PageCode starts at " + upload.PageCode);
WScript.Echo("PASS");
