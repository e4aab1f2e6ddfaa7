<%@ Language="JScript" %>
<% // Both classes by ProgID; an Upload made outside a page fails Count with its own status and message.
function check(ok, what) { if (!ok) throw new Error("FAIL: " + what); }
var progIds = ["TavrinUpload.Upload", "TavrinUpload.Upload.1",
               "TavrinUpload.UploadFile", "TavrinUpload.UploadFile.1"];
for (var i = 0; i < progIds.length; ++i) check(typeof new ActiveXObject(progIds[i]) === "object", progIds[i]);
var upload = new ActiveXObject("TavrinUpload.Upload");
check(upload.MaxSize === 10485760 && upload.PageCode === 65535, "initial MaxSize and PageCode");
var caught = null; try { var count = upload.Count; } catch (e) { caught = e; }
check(caught !== null, "Count succeeded outside a page");
check(caught.number === 0x80004021 - 0x100000000, "number is " + caught.number);
check(caught.message === "Only use in ASP environment" && caught.description === caught.message,
      "message and description: " + caught.message + " / " + caught.description);
check(typeof upload.About === "string" && upload.About.length > 0, "About after the failure");
Response.Write("PASS"); %>
