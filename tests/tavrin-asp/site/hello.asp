<%@ Language=JScript %>
hello <%= Request.QueryString("name") %> on <%= Request.ServerVariables("REQUEST_METHOD") %>
