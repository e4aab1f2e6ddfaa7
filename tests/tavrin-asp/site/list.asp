<%@ Language=VBScript %>
<%
' Lists every posted item without saving: the page whose output a recorded
' request must reproduce when replayed.
Option Explicit
Dim up, i
Set up = Server.CreateObject("TavrinUpload.Upload")
Response.ContentType = "text/plain"
Response.Write "count " & up.Count & " page code " & up.PageCode & vbCrLf
For i = 0 To up.Count - 1
    With up(i)
        Response.Write i & " " & .Name & " | " & .FileName & " | " & .ContentType & " | " & .Size & vbCrLf
    End With
Next
%>
