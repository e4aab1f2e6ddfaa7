#!/usr/bin/env bash
# docs/reference.md against the component: the member tables of IUpload and
# IUploadFile (name, DISPID, kind, arguments with their defaults) must list
# exactly the members of the type library's dump (TypeLibraryTest proves the
# dump equal to the built DLL's embedded library), and the message table
# exactly the string table (ids and texts) of the DLL's resources.
#   reference-doc.sh REFERENCE.md TypeLibrary.expected resource.h TavrinUpload.rc
set -uo pipefail
doc=$1 dump=$2 ids=$3 rc=$4

# One line per member: "INTERFACE NAME DISPID KINDS ARGS", KINDS a sorted
# set of method/read/write, ARGS "name=default,...".
from_library() {
  awk '
    /^type IUpload(File)? / { iface = $2; next }
    /^type / { iface = ""; next }
    iface != "" && /\[id\(0x/ {
      match($0, /id\(0x[0-9a-fA-F]+\)/); id = tolower(substr($0, RSTART + 3, RLENGTH - 4))
      sub(/^0x0*/, "0x", id); if (id == "0x") id = "0x0"
      match($0, /invoke [0-9]+/); invoke = substr($0, RSTART + 7, RLENGTH - 7)
      match($0, /HRESULT [A-Za-z]+\(.*\)/); sig = substr($0, RSTART + 8, RLENGTH - 8)
      name = substr(sig, 1, index(sig, "(") - 1)
      key = iface " " name " " id
      if (invoke == 1) method[key] = 1; else if (invoke == 2) read[key] = 1; else write[key] = 1
      kind[key] = 1
      if (invoke == 4) next
      params = substr(sig, index(sig, "(") + 1); sub(/\)$/, "", params)
      # Commas inside attribute lists do not separate parameters.
      while (match(params, /\[[^]]*, [^]]*\]/)) {
        seg = substr(params, RSTART, RLENGTH); gsub(/, /, ";", seg)
        params = substr(params, 1, RSTART - 1) seg substr(params, RSTART + RLENGTH)
      }
      n = split(params, p, ", ")
      list = ""
      for (i = 1; i <= n; i++) {
        if (p[i] ~ /retval/ || p[i] == "") continue
        dflt = ""
        if (match(p[i], /defaultvalue\(vt11 -?[0-9]+\)/)) dflt = (p[i] ~ /vt11 0\)/) ? "False" : "True"
        m = split(p[i], w, " "); list = list w[m] "=" dflt ","
      }
      args[key] = list
    }
    END {
      for (k in kind)
        print k (method[k] ? " method" : "") (read[k] ? " read" : "") (write[k] ? " write" : "") " " args[k]
    }
  ' "$dump" | sed 's/ \+/ /g' | sort
}

from_doc() {
  awk -F '|' '
    /^#/ { iface = ($0 ~ /`IUploadFile`/) ? "IUploadFile" : ($0 ~ /`IUpload`/) ? "IUpload" : "" }
    iface != "" && NF > 5 && $3 ~ /^ *(0x[0-9A-Fa-f]+|[0-9]+) *$/ {
      name = $2; gsub(/ /, "", name); id = $3; gsub(/ /, "", id)
      kinds = ($4 ~ /method/ ? "method" : ($4 ~ /read\/write/ ? "read write" : "read"))
      list = ""; rest = $5
      while (match(rest, /`[A-Za-z]+`[^`]*/)) {
        arg = substr(rest, RSTART, RLENGTH); rest = substr(rest, RSTART + RLENGTH)
        split(arg, q, "`"); dflt = ""
        if (match(arg, /default [A-Za-z]+/)) dflt = substr(arg, RSTART + 8, RLENGTH - 8)
        list = list q[2] "=" dflt ","
      }
      id = (id ~ /^0x/) ? tolower(id) : sprintf("0x%x", id)
      print iface " " name " " id " " kinds " " list
    }
  ' "$doc" | sort
}

messages_of_dll() {
  join <(awk '/#define IDS_/ { print $2, $3 }' "$ids" | sort) \
       <(sed -n 's/^ *\(IDS_[A-Z_]*\) "\(.*\)"$/\1 \2/p' "$rc" | sort) | cut -d' ' -f2- | sort
}
messages_of_doc() {
  awk -F '|' '$2 ~ /^ *1[0-9][0-9] *$/ { id = $2; m = $3; gsub(/^ +| +$/, "", id); gsub(/^ +| +$/, "", m); print id, m }' "$doc" | sort
}

status=0
diff <(from_library) <(from_doc) || { echo "FAIL: members (< type library, > reference.md)"; status=1; }
diff <(messages_of_dll) <(messages_of_doc) || { echo "FAIL: messages (< DLL, > reference.md)"; status=1; }
[[ $(from_doc | wc -l) -ge 15 && $(messages_of_doc | wc -l) -eq 6 ]] || { echo "FAIL: tables not found"; status=1; }
[[ $status -eq 0 ]] && echo PASS
exit $status
