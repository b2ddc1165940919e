#pragma once

// What the portal view tells its owner (the main dialog). Both calls arrive
// on the window thread that owns the view.
class IHTMLViewListener {
public:
    // The view's first page has loaded and, when it has a document, its
    // script is attached. Called at most once per view.
    virtual void OnPageReady() = 0;
    // A navigation failed; dwStatus is the browser's failure status. Called
    // once per failure, before and after the first page. The parameter is a
    // DWORD on Windows, spelt without the platform header here.
    virtual void OnPageError(unsigned long dwStatus) = 0;

protected:
    ~IHTMLViewListener() = default;
};
