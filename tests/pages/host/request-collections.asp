<%' run-args: --query 'a=1&a=2&b=query&sp=x+y%26z' --body data/form.body --content-type application/x-www-form-urlencoded --header 'Cookie:c=cookie;d=cookie%20only' --header X-Test:yes %>
<% ' The collections, their item lists, and Request("x")'s lookup order: QueryString, Form, Cookies, ServerVariables.
Sub Check(ok, what): If Not ok Then Response.Write "FAIL: " & what & vbCrLf
End Sub

Set a = Request.QueryString("a")
Check a = "1, 2" And a.Count = 2 And Request.QueryString("A")(2) = "2", "joined values, count, name in any case " & a
Check Request.QueryString("sp") = "x y&z", "decoded " & Request.QueryString("sp")
Check Request.QueryString("none").Count = 0 And Request.QueryString("none") = "", "missing item is empty"
Check Request.QueryString = "a=1&a=2&b=query&sp=x+y%26z", "whole query " & Request.QueryString
Check Request.QueryString.Count = 3 And Request.QueryString.Key(3) = "sp", "distinct names, key by position"
For Each name In Request.QueryString: names = names & name & ";": Next: Check names = "a;b;sp;", "For Each over names: " & names
Check Request.Form("b") = "form" And Request.Form("c") = "form only", "form values " & Request.Form("c")
Check Request.Cookies("d") = "cookie only", "cookie " & Request.Cookies("d")
Check Request("b") = "query" And Request("c") = "form only", "QueryString before Form before Cookies"
Check Request.Item("d") = "cookie only" And Request.Item("REQUEST_METHOD") = "POST", "then ServerVariables"
Set sv = Request.ServerVariables: Check sv("REQUEST_METHOD") = "POST" And sv("CONTENT_TYPE") = "application/x-www-form-urlencoded", "method, type"
Check sv("CONTENT_LENGTH") = "26" And Request.TotalBytes = 26, "content length " & sv("CONTENT_LENGTH")
Check sv("QUERY_STRING") = Request.QueryString And sv("URL") = "/request-collections.asp", "URL " & sv("URL")
Check sv("SCRIPT_NAME") = sv("URL") And sv("PATH_INFO") = sv("URL"), "script name"
Check sv("HTTP_X_TEST") = "yes" And InStr(sv("ALL_HTTP"), "HTTP_X_TEST:yes") > 0, "ALL_HTTP " & sv("ALL_HTTP")
Check sv("REMOTE_ADDR") = "127.0.0.1", "remote address"
Response.Write "PASS" %>
