<%@ Language=VBScript %>
<%' expect-text: Content-Type: text/html %>
<%' expect-text: Set-Cookie: plain=a%0D%0AX%2DSmuggled%3A+yes; path=/ %>
<!-- #include file="check-vbscript.inc" -->
<%
' Every value a page gives for the response head is refused when it holds
' a control character (tab aside), with an error that names the property:
' such a value would end the header line and start one of the client's
' choosing. Cookie names and values are percent-encoded instead.
Set cookie = Response.Cookies("c")

Sub SetValue(name, value)
    Select Case name
    Case "Status"
        Response.Status = "200 OK" & value
    Case "ContentType"
        Response.ContentType = "text/html" & value
    Case "Charset"
        Response.Charset = "utf-8" & value
    Case "CacheControl"
        Response.CacheControl = "private" & value
    Case "Domain"
        cookie.Domain = "example.com" & value
    Case "Path"
        cookie.Path = "/app" & value
    Case "AddHeader"
        Response.AddHeader "X-Page", "yes" & value
    Case "Redirect"
        Response.Redirect "/next.asp" & value
    End Select
End Sub

injected = "X-Injected: FAIL"
properties = Array("Status", "ContentType", "Charset", "CacheControl", "Domain", "Path", _
                   "AddHeader", "Redirect")
controls = Array(13, 10, 0, 8, 27, 127)
For Each name In properties
    For Each code In controls
        On Error Resume Next
        SetValue name, Chr(code) & injected
        number = Err.Number
        description = Err.Description
        On Error GoTo 0
        what = name & " with Chr(" & code & ")"
        Check number <> 0, what & " to be refused", "no error"
        Check InStr(description, name) > 0, "the error of " & what & " to name " & name, description
    Next
Next
Response.Cookies("plain") = "a" & vbCrLf & "X-Smuggled: yes"
Finish
%>
