<%@ Language=VBScript %>
<%
Err.Raise vbObjectError + 7, "control-error.asp", "before" & Chr(27) & "[2J" & Chr(7) & "after"
%>
