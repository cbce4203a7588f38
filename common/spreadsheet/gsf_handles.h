// Owning handles for libgsf's GObjects: unreferenced when they go out of scope.
#pragma once

#include <glib-object.h>

#include <memory>

namespace quelmar::spreadsheet {

struct GObjectUnref {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError *error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

} // namespace quelmar::spreadsheet
