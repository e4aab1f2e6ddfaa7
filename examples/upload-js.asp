<%@ Language=JScript CodePage=65001 %>
<%
// The single-file upload of upload.asp written in JScript: the same form,
// the same table, each file saved under a name made here (the time and a
// counter, never the client's) into the folder "uploads" beside the served
// folder. JScript calls the default member by name (up.Item(i)).
Response.CodePage = 65001;
Response.Charset = "utf-8";

function uploadFolder() {
    var fso = Server.CreateObject("Scripting.FileSystemObject");
    var folder = fso.GetParentFolderName(Server.MapPath("/")) + "\\uploads";
    if (!fso.FolderExists(folder))
        throw new Error("The folder " + folder + " does not exist: create it and let the account that runs the page modify it.");
    return folder;
}

// Saves item into folder as <date>-<time>-<n>.upload, never replacing a file
// (SaveAs with false refuses a taken name); gives the name, or "" on failure.
function saveUnderOwnName(item, folder) {
    var fso = Server.CreateObject("Scripting.FileSystemObject");
    var t = new Date();
    var two = function (n) { return (n < 10 ? "0" : "") + n; };
    var stamp = t.getFullYear() + two(t.getMonth() + 1) + two(t.getDate()) + "-" +
        two(t.getHours()) + two(t.getMinutes()) + two(t.getSeconds());
    for (var n = 1; n <= 1000; n++) {
        var path = folder + "\\" + stamp + "-" + n + ".upload";
        if (fso.FileExists(path))
            continue;
        if (item.SaveAs(path, false))
            return stamp + "-" + n + ".upload";
        if (!fso.FileExists(path))
            return "";
    }
    return "";
}
%>
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>TavrinUpload: upload a file (JScript)</title>
<link rel="stylesheet" href="style.css"></head>
<body>
<h1>Upload a file (JScript)</h1>
<form method="post" action="upload-js.asp" enctype="multipart/form-data">
  <input type="file" name="file"> <input type="submit" value="Upload">
</form>
<%
if (String(Request.ServerVariables("REQUEST_METHOD")) == "POST") {
    var up = Server.CreateObject("TavrinUpload.Upload");
    var folder = uploadFolder();
%>
<table>
<tr><th>Name</th><th>FileName</th><th>Size</th><th>ContentType</th><th>Saved as</th></tr>
<%
    for (var i = 0; i < up.Count; i++) {
        var item = up.Item(i);
        var saved = "";
        if (item.FilePath)
            saved = saveUnderOwnName(item, folder) || "not saved";
%>
<tr><td><%= Server.HTMLEncode(item.Name) %></td><td><%= Server.HTMLEncode(item.FileName || "") %></td>
<td><%= item.Size %></td><td><%= Server.HTMLEncode(item.ContentType || "") %></td><td><%= saved %></td></tr>
<%
    }
%>
</table>
<%
}
%>
</body></html>
