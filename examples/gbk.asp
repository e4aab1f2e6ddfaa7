<%@ Language=VBScript CodePage=936 %>
<%
' A GBK page (code page 936): this file is stored in GBK, the page answers
' in GBK, and browsers post file names and fields in GBK. The Upload
' object is told so with PageCode = 936 before it reads anything.
' Files are saved as upload.asp saves them: under a name made here, never
' the client's, into the folder "uploads" beside the served folder.
Option Explicit
Response.CodePage = 936
Response.Charset = "gbk"

Function UploadFolder()
    Dim fso, folder
    Set fso = Server.CreateObject("Scripting.FileSystemObject")
    folder = fso.GetParentFolderName(Server.MapPath("/")) & "\uploads"
    If Not fso.FolderExists(folder) Then Err.Raise vbObjectError + 1, "gbk.asp", _
        "The folder " & folder & " does not exist: create it and let the account that runs the page modify it."
    UploadFolder = folder
End Function

' Saves item into folder as <date>-<time>-<n>.upload, never replacing a
' file (SaveAs with False refuses a taken name, even one another request took
' a moment ago); gives the name, or "" when the file could not be saved.
Function SaveUnderOwnName(item, folder)
    Dim fso, t, stamp, n, name
    Set fso = Server.CreateObject("Scripting.FileSystemObject")
    t = Now
    stamp = Year(t) & Right("0" & Month(t), 2) & Right("0" & Day(t), 2) & "-" & _
        Right("0" & Hour(t), 2) & Right("0" & Minute(t), 2) & Right("0" & Second(t), 2)
    SaveUnderOwnName = ""
    For n = 1 To 1000
        name = stamp & "-" & n & ".upload"
        If Not fso.FileExists(folder & "\" & name) Then
            If item.SaveAs(folder & "\" & name, False) Then
                SaveUnderOwnName = name
                Exit Function
            End If
            If Not fso.FileExists(folder & "\" & name) Then Exit Function
        End If
    Next
End Function
%>
<!DOCTYPE html>
<html><head><meta charset="gbk"><title>TavrinUpload: GBK 页面, 上传文件</title>
<link rel="stylesheet" href="style.css"></head>
<body>
<h1>GBK 页面: 上传文件</h1>
<form method="post" action="gbk.asp" enctype="multipart/form-data">
  <p>说明 (note): <input type="text" name="note"></p>
  <p><input type="file" name="files" multiple> <input type="submit" value="上传 (upload)"></p>
</form>
<%
If Request.ServerVariables("REQUEST_METHOD") = "POST" Then
    Dim up, i, item, folder, note, name
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
        If item.FilePath <> "" Then
            name = SaveUnderOwnName(item, folder)
            If name <> "" Then
                Response.Write "<li class=""saved"">" & Server.HTMLEncode(item.FileName) & " (" & item.Size & " 字节): 已保存为 " & name & "</li>" & vbCrLf
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
