<%@ Language=VBScript CodePage=65001 %>
<%
' Uploads from JavaScript. A GET shows a form that is never submitted the
' ordinary way: its script sends the form's FormData with fetch(), or with
' XMLHttpRequest, whose upload progress events drive the progress bar
' (fetch() reports no upload progress). A POST saves the files under names
' made here (never the client's) into the folder "uploads" beside the served
' folder and answers JSON; savedAs is the name a file got, null if none.
Option Explicit
Response.CodePage = 65001
Response.Charset = "utf-8"

Function UploadFolder()
    Dim fso, folder
    Set fso = Server.CreateObject("Scripting.FileSystemObject")
    folder = fso.GetParentFolderName(Server.MapPath("/")) & "\uploads"
    If Not fso.FolderExists(folder) Then Err.Raise vbObjectError + 1, "fetch.asp", _
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

' A JSON string: backslash, quote and control characters escaped; other
' characters stay as they are (the answer is UTF-8).
Function JsonString(text)
    Dim s, c
    s = Replace(Replace(text & "", "\", "\\"), """", "\""")
    For c = 0 To 31
        s = Replace(s, Chr(c), "\u00" & Right("0" & Hex(c), 2))
    Next
    JsonString = """" & s & """"
End Function

If Request.ServerVariables("REQUEST_METHOD") = "POST" Then
    Dim up, i, item, folder, fields, files, saved
    Set up = Server.CreateObject("TavrinUpload.Upload")
    folder = UploadFolder()
    fields = ""
    files = ""
    For i = 0 To up.Count - 1
        Set item = up(i)
        If item.FilePath = "" And item.ContentType = "" Then
            If fields <> "" Then fields = fields & ","
            fields = fields & JsonString(item.Name) & ":" & JsonString(item.Content)
        ElseIf item.FilePath <> "" Then
            saved = SaveUnderOwnName(item, folder)
            If saved = "" Then saved = "null" Else saved = JsonString(saved)
            If files <> "" Then files = files & ","
            files = files & "{""name"":" & JsonString(item.Name) & ",""fileName"":" & JsonString(item.FileName) & _
                ",""size"":" & item.Size & ",""contentType"":" & JsonString(item.ContentType) & _
                ",""savedAs"":" & saved & "}"
        End If
    Next
    Response.ContentType = "application/json"
    Response.Write "{""count"":" & up.Count & ",""fields"":{" & fields & "},""files"":[" & files & "]}"
    Response.End
End If
%>
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>TavrinUpload: fetch() and progress</title>
<link rel="stylesheet" href="style.css"></head>
<body>
<h1>Upload from JavaScript</h1>
<form id="form">
  <p>Note: <input type="text" name="note"></p>
  <p><input type="file" name="files" multiple></p>
  <p><button type="button" id="send-fetch">Send with fetch()</button>
     <button type="button" id="send-xhr">Send with progress (XMLHttpRequest)</button></p>
</form>
<p><progress id="progress" max="100" value="0"></progress> <span id="percent"></span></p>
<pre id="result"></pre>
<script>
const form = document.getElementById("form");
const show = (text) => { document.getElementById("result").textContent = text; };
const showJson = (json) => show(JSON.stringify(json, null, 2));

document.getElementById("send-fetch").addEventListener("click", async () => {
  show("sending...");
  try {
    const answer = await fetch("fetch.asp", { method: "POST", body: new FormData(form) });
    showJson(await answer.json());
  } catch (e) {
    show("failed: " + e);
  }
});

document.getElementById("send-xhr").addEventListener("click", () => {
  const xhr = new XMLHttpRequest();
  xhr.upload.addEventListener("progress", (e) => {
    if (!e.lengthComputable) return;
    const percent = Math.round(100 * e.loaded / e.total);
    document.getElementById("progress").value = percent;
    document.getElementById("percent").textContent = percent + "%";
  });
  xhr.addEventListener("load", () => {
    try { showJson(JSON.parse(xhr.responseText)); } catch (e) { show("HTTP " + xhr.status + "\n" + xhr.responseText); }
  });
  xhr.addEventListener("error", () => show("failed: network error"));
  xhr.open("POST", "fetch.asp");
  show("sending...");
  xhr.send(new FormData(form));
});
</script>
</body></html>
