<%@ Language=JScript CodePage=65001 %>
<%
// The single-file upload of upload.asp written in JScript: the same form,
// the same table, each file saved under its own name into the folder
// "uploads" beside the served folder. JScript calls the default member by
// name (up.Item(i)) and SaveAs's overwrite flag is a plain true.
Response.CodePage = 65001;
Response.Charset = "utf-8";

function uploadFolder() {
    var fso = Server.CreateObject("Scripting.FileSystemObject");
    var folder = fso.GetParentFolderName(Server.MapPath("/")) + "\\uploads";
    if (!fso.FolderExists(folder))
        fso.CreateFolder(folder);
    return folder;
}
%>
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>TavrinUpload: upload a file (JScript)</title></head>
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
<table border="1">
<tr><th>Name</th><th>FileName</th><th>Size</th><th>ContentType</th><th>Saved</th></tr>
<%
    for (var i = 0; i < up.Count; i++) {
        var item = up.Item(i);
        var saved = "";
        if (item.FileName)
            saved = item.SaveAs(folder + "\\" + item.FileName, true) ? "saved" : "not saved";
%>
<tr><td><%= Server.HTMLEncode(item.Name) %></td><td><%= Server.HTMLEncode(item.FileName || "") %></td>
<td><%= item.Size %></td><td><%= Server.HTMLEncode(item.ContentType || "") %></td>
<td><%= Server.HTMLEncode(saved) %></td></tr>
<%
    }
%>
</table>
<%
}
%>
</body></html>
