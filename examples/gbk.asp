<%@ Language=VBScript CodePage=936 %>
<%
' A GBK page (code page 936): this file is stored in GBK, the page answers
' in GBK, and browsers post file names and fields in GBK. The Upload
' object is told so with PageCode = 936 before it reads anything.
Option Explicit
Response.CodePage = 936
Response.Charset = "gbk"

Function UploadFolder()
    Dim fso, folder
    Set fso = Server.CreateObject("Scripting.FileSystemObject")
    folder = fso.GetParentFolderName(Server.MapPath("/")) & "\uploads"
    If Not fso.FolderExists(folder) Then fso.CreateFolder folder
    UploadFolder = folder
End Function
%>
<!DOCTYPE html>
<html><head><meta charset="gbk"><title>TavrinUpload: GBK 页面, 上传文件</title></head>
<body>
<h1>GBK 页面: 上传文件</h1>
<form method="post" action="gbk.asp" enctype="multipart/form-data">
  <p>说明 (note): <input type="text" name="note"></p>
  <p><input type="file" name="files" multiple> <input type="submit" value="上传 (upload)"></p>
</form>
<%
If Request.ServerVariables("REQUEST_METHOD") = "POST" Then
    Dim up, i, item, folder, note
    Set up = Server.CreateObject("TavrinUpload.Upload")
    up.PageCode = 936
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
                Response.Write "<li class=""saved"">" & Server.HTMLEncode(item.FileName) & " (" & item.Size & " 字节): 已保存</li>" & vbCrLf
            Else
                Response.Write "<li>" & Server.HTMLEncode(item.FileName) & ": 未保存</li>" & vbCrLf
            End If
        End If
    Next
%>
</ul>
<%
End If
%>
</body></html>
