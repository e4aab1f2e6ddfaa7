<%@ Language=VBScript %>
<%
' Parses an application/x-www-form-urlencoded body and tells how many
' distinct names it had.
Response.ContentType = "text/plain"
Response.Write "fields " & Request.Form.Count
Response.End
%>
