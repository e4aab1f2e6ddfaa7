// Keeps requests with a body for later replay: RECDIR/<time>-<n>.body holds
// the body bytes as the page read them (and what it left unread, when the
// connection drains it), RECDIR/<time>-<n>.json the method, path, query and
// headers. Recording copies bytes as they pass; it never holds them back.
#pragma once

#include "core/HttpHead.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

struct FileCloser
{
    void operator()(FILE* file) const noexcept { fclose(file); }
};
using FileHolder = std::unique_ptr<FILE, FileCloser>;

class Recorder
{
public:
    explicit Recorder(std::wstring folder) : m_folder(std::move(folder)) {}
    // Writes the request's .json and opens its .body; null (and the request
    // goes unrecorded) when the files cannot be made.
    FileHolder Start(const HttpHead& head);

private:
    std::wstring m_folder;
    std::atomic<unsigned> m_count{0};
};

// The head as a small JSON document (method, path, query, headers).
std::string HeadJson(const HttpHead& head);
