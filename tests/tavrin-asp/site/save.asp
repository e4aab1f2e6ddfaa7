<%@ Language=VBScript %>
<%
' Saves every posted file into the folder named by ?to= and lists what it
' saved; ?max= sets MaxSize first.
Option Explicit
Dim up, i, item, folder
Set up = Server.CreateObject("TavrinUpload.Upload")
If Request.QueryString("max") <> "" Then up.MaxSize = CLng(Request.QueryString("max"))
folder = Request.QueryString("to")
Response.ContentType = "text/plain"
For i = 0 To up.Count - 1
    Set item = up(i)
    If item.FileName <> "" Then
        If item.SaveAs(folder & "\" & item.FileName, True) Then
            Response.Write "saved " & item.Name & " " & item.FileName & " " & item.Size & vbCrLf
        Else
            Response.Write "refused " & item.Name & " " & item.FileName & vbCrLf
        End If
    Else
        Response.Write "field " & item.Name & "=" & item.Content & vbCrLf
    End If
Next
Response.Write "count " & up.Count & vbCrLf
%>
