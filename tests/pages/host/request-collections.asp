<%' run-args: --query 'a=1&a=2&b=query&sp=x+y%26z' --body data/form.body --content-type application/x-www-form-urlencoded --header 'Cookie:c=cookie;d=cookie%20only' --header X-Test:yes %>
<!-- #include file="check-vbscript.inc" -->
<%
' The collections, their item lists, and Request("x")'s lookup order:
' QueryString, Form, Cookies, ServerVariables.
CheckEqual "QueryString(""a""), the values joined", "1, 2", Request.QueryString("a")
CheckEqual "QueryString(""a"").Count", 2, Request.QueryString("a").Count
CheckEqual "QueryString(""A"")(2), the name in any case", "2", Request.QueryString("A")(2)
CheckEqual "QueryString(""sp""), decoded", "x y&z", Request.QueryString("sp")
CheckEqual "Count of a missing item", 0, Request.QueryString("none").Count
CheckEqual "text of a missing item", "", Request.QueryString("none")
CheckEqual "the whole QueryString", "a=1&a=2&b=query&sp=x+y%26z", Request.QueryString
CheckEqual "QueryString.Count, the distinct names", 3, Request.QueryString.Count
CheckEqual "QueryString.Key(3)", "sp", Request.QueryString.Key(3)
names = ""
For Each name In Request.QueryString
    names = names & name & ";"
Next
CheckEqual "For Each over QueryString", "a;b;sp;", names

CheckEqual "Form(""b"")", "form", Request.Form("b")
CheckEqual "Form(""c""), decoded", "form only", Request.Form("c")
CheckEqual "Cookies(""d""), decoded", "cookie only", Request.Cookies("d")

CheckEqual "Request(""b""), QueryString before Form", "query", Request("b")
CheckEqual "Request(""c""), Form before Cookies", "form only", Request("c")
CheckEqual "Request.Item(""d""), Cookies before ServerVariables", "cookie only", Request.Item("d")
CheckEqual "Request.Item(""REQUEST_METHOD""), ServerVariables last", "POST", Request.Item("REQUEST_METHOD")

Set sv = Request.ServerVariables
CheckEqual "REQUEST_METHOD", "POST", sv("REQUEST_METHOD")
CheckEqual "CONTENT_TYPE", "application/x-www-form-urlencoded", sv("CONTENT_TYPE")
CheckEqual "CONTENT_LENGTH", "26", sv("CONTENT_LENGTH")
CheckEqual "QUERY_STRING", "a=1&a=2&b=query&sp=x+y%26z", sv("QUERY_STRING")
CheckEqual "URL", "/request-collections.asp", sv("URL")
CheckEqual "SCRIPT_NAME", "/request-collections.asp", sv("SCRIPT_NAME")
CheckEqual "PATH_INFO", "/request-collections.asp", sv("PATH_INFO")
CheckEqual "HTTP_X_TEST, a header", "yes", sv("HTTP_X_TEST")
Check InStr(sv("ALL_HTTP"), "HTTP_X_TEST:yes") > 0, "ALL_HTTP to hold HTTP_X_TEST:yes", sv("ALL_HTTP")
CheckEqual "REMOTE_ADDR", "127.0.0.1", sv("REMOTE_ADDR")
CheckEqual "TotalBytes", 26, Request.TotalBytes
Finish
%>
