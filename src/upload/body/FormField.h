// CAspUploadFormField is the record of one form item of a split request
// body: the field's name, where its content lies inside the body buffer and
// how long it is, the part's content type and the client's file name. A
// file item is one whose file name is present; nothing else marks it.
//
// Other code reads the fields directly: name, data, size, contentType,
// fileName. The three strings belong to the record and go with it; data
// belongs to the body buffer of the owning upload object.
#pragma once

#include "util/Platform.h"

#include <cstdint>

struct CAspUploadFormField
{
    CAspUploadFormField() = default;
    ~CAspUploadFormField()
    {
        SysFreeString(fileName);
        SysFreeString(contentType);
        SysFreeString(name);
    }

    // The record array moves records bit for bit when it grows; nothing else
    // copies them.
    CAspUploadFormField(const CAspUploadFormField&) = delete;
    CAspUploadFormField& operator=(const CAspUploadFormField&) = delete;

    // Owned; null when the part named no field.
    BSTR name = nullptr;
    // Points into the owner's body buffer; valid while the owning upload
    // object keeps its body. The byte at data[size] is zero.
    uint8_t* data = nullptr;
    // Content bytes, never counting the zero byte after them.
    int32_t size = 0;
    // Owned; null when the part had no content-type line.
    BSTR contentType = nullptr;
    // Owned; exactly as the client sent it, path included; null for a
    // plain field.
    BSTR fileName = nullptr;
};
