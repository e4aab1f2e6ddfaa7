<%@ Language=VBScript CodePage=65001 %>
<%
' A single-file upload form and its handler. A GET shows the form; a POST
' lists every posted item and saves each file under its own name into the
' folder "uploads" beside the served folder (outside it, so that nothing
' uploaded can be requested back as a page).
Option Explicit
Response.CodePage = 65001
Response.Charset = "utf-8"

Function UploadFolder()
    Dim fso, folder
    Set fso = Server.CreateObject("Scripting.FileSystemObject")
    folder = fso.GetParentFolderName(Server.MapPath("/")) & "\uploads"
    If Not fso.FolderExists(folder) Then fso.CreateFolder folder
    UploadFolder = folder
End Function
%>
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>TavrinUpload: upload a file</title></head>
<body>
<h1>Upload a file</h1>
<form method="post" action="upload.asp" enctype="multipart/form-data">
  <input type="file" name="file"> <input type="submit" value="Upload">
</form>
<%
If Request.ServerVariables("REQUEST_METHOD") = "POST" Then
    Dim up, i, item, folder
    Set up = Server.CreateObject("TavrinUpload.Upload")
    folder = UploadFolder()
%>
<table border="1">
<tr><th>Name</th><th>FileName</th><th>Size</th><th>ContentType</th><th>Saved</th></tr>
<%
    For i = 0 To up.Count - 1
        Set item = up(i)
%>
<tr><td><%= Server.HTMLEncode(item.Name) %></td><td><%= Server.HTMLEncode(item.FileName) %></td>
<td><%= item.Size %></td><td><%= Server.HTMLEncode(item.ContentType) %></td>
<td><% If item.FileName <> "" Then
           If item.SaveAs(folder & "\" & item.FileName, True) Then
               Response.Write Server.HTMLEncode(folder & "\" & item.FileName)
           Else
               Response.Write "not saved"
           End If
       End If %></td></tr>
<%
    Next
%>
</table>
<%
End If
%>
</body></html>
