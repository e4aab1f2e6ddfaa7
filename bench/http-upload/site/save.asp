<%@ Language=VBScript %>
<%
' Saves every posted file into the folder named by ?to=, as an upload page
' of a site would; MaxSize raised for large files.
Dim up, i
Set up = Server.CreateObject("TavrinUpload.Upload")
up.MaxSize = 200000000
For i = 0 To up.Count - 1
    If up(i).FileName <> "" Then up(i).SaveAs Request.QueryString("to") & "\upload" & Request.QueryString("n") & "-" & i & ".bin", True
Next
Response.Write "saved " & up.Count
%>
