<%@ Language=VBScript CodePage=65001 %>
<%
' A UTF-8 page. Browsers post file names and fields in the page's own
' encoding, here UTF-8; the Upload object, left at its automatic PageCode,
' sees that the names are UTF-8 and reads them so (PageCode then says
' 65001). Chinese, accented or any other names come back as they were.
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
<html><head><meta charset="utf-8"><title>TavrinUpload: UTF-8 page, 上传文件</title></head>
<body>
<h1>UTF-8 page: 上传文件</h1>
<form method="post" action="utf8.asp" enctype="multipart/form-data">
  <p>说明 (note): <input type="text" name="note"></p>
  <p><input type="file" name="files" multiple> <input type="submit" value="上传 (upload)"></p>
</form>
<%
If Request.ServerVariables("REQUEST_METHOD") = "POST" Then
    Dim up, i, item, folder, note
    Set up = Server.CreateObject("TavrinUpload.Upload")
    folder = UploadFolder()
    note = up("note").Content & ""
%>
<p>说明: <b id="note"><%= Server.HTMLEncode(note) %></b>; PageCode <b id="pagecode"><%= up.PageCode %></b></p>
<ul>
<%
    For i = 0 To up.Count - 1
        Set item = up(i)
        If item.FileName <> "" Then
            If item.SaveAs(folder & "\" & item.FileName, True) Then
                Response.Write "<li class=""saved"">" & Server.HTMLEncode(item.FileName) & " (" & item.Size & " bytes): saved</li>" & vbCrLf
            Else
                Response.Write "<li>" & Server.HTMLEncode(item.FileName) & ": not saved</li>" & vbCrLf
            End If
        End If
    Next
%>
</ul>
<%
End If
%>
</body></html>
