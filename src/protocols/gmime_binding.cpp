// GMime's (and the GLib object functions') entry points as this program uses them, bound
// at the first call (see bound_library.h). GLib and GObject come with GMime and are found
// through it. Without the library every call gives nothing: no stream, no message, no
// type; the mail code treats that as a message it cannot read.
#include <gmime/gmime.h>

#include "protocols/bound_library.h"

namespace ferrolin {
namespace {

const BoundLibrary& GMime() {
    static const BoundLibrary library("libgmime-3.0.so.0", "mail jobs");
    return library;
}

}  // namespace
}  // namespace ferrolin

#define FORWARD(Result, name, Params, Args, Failure) \
    FERROLIN_FORWARD(ferrolin::GMime(), Result, name, Params, Args, Failure)

// GLib and GObject. (GLib wraps g_object_ref in a macro that keeps the argument's type;
// the function itself is defined here.)
#undef g_object_ref
FORWARD(void, g_free, (gpointer memory), (memory), void())
FORWARD(void, g_error_free, (GError * error), (error), void())
FORWARD(gpointer, g_object_ref, (gpointer object), (object), object)
FORWARD(void, g_object_unref, (gpointer object), (object), void())
FORWARD(GTypeInstance*, g_type_check_instance_cast, (GTypeInstance * instance, GType type),
        (instance, type), instance)
FORWARD(gboolean, g_type_check_instance_is_a, (GTypeInstance * instance, GType type),
        (instance, type), FALSE)

// The types behind GMime's cast and check macros.
FORWARD(GType, g_mime_object_get_type, (void), (), 0)
FORWARD(GType, g_mime_part_get_type, (void), (), 0)
FORWARD(GType, g_mime_text_part_get_type, (void), (), 0)
FORWARD(GType, g_mime_multipart_get_type, (void), (), 0)
FORWARD(GType, g_mime_message_part_get_type, (void), (), 0)
FORWARD(GType, g_mime_stream_fs_get_type, (void), (), 0)
FORWARD(GType, g_mime_stream_mem_get_type, (void), (), 0)

FORWARD(void, g_mime_init, (void), (), void())

// Streams.
FORWARD(GMimeStream*, g_mime_stream_fs_new, (int fd), (fd), nullptr)
FORWARD(GMimeStream*, g_mime_stream_fs_open, (const char* path, int flags, int mode, GError** err),
        (path, flags, mode, err), nullptr)
FORWARD(void, g_mime_stream_fs_set_owner, (GMimeStreamFs * stream, gboolean owner),
        (stream, owner), void())
FORWARD(GMimeStream*, g_mime_stream_mem_new, (void), (), nullptr)
FORWARD(GMimeStream*, g_mime_stream_mem_new_with_buffer, (const char* buffer, size_t length),
        (buffer, length), nullptr)
FORWARD(GByteArray*, g_mime_stream_mem_get_byte_array, (GMimeStreamMem * stream), (stream),
        nullptr)
FORWARD(ssize_t, g_mime_stream_read, (GMimeStream * stream, char* buffer, size_t length),
        (stream, buffer, length), -1)
FORWARD(ssize_t, g_mime_stream_write, (GMimeStream * stream, const char* buffer, size_t length),
        (stream, buffer, length), -1)
FORWARD(gint64, g_mime_stream_write_to_stream, (GMimeStream * source, GMimeStream* target),
        (source, target), -1)
FORWARD(int, g_mime_stream_flush, (GMimeStream * stream), (stream), -1)
FORWARD(int, g_mime_stream_reset, (GMimeStream * stream), (stream), -1)
FORWARD(gboolean, g_mime_stream_eos, (GMimeStream * stream), (stream), TRUE)
FORWARD(gint64, g_mime_stream_length, (GMimeStream * stream), (stream), -1)

// Parsing and walking a message.
FORWARD(GMimeParser*, g_mime_parser_new_with_stream, (GMimeStream * stream), (stream), nullptr)
FORWARD(GMimeMessage*, g_mime_parser_construct_message,
        (GMimeParser * parser, GMimeParserOptions* options), (parser, options), nullptr)
FORWARD(GMimeObject*, g_mime_message_get_mime_part, (GMimeMessage * message), (message), nullptr)
FORWARD(const char*, g_mime_message_get_subject, (GMimeMessage * message), (message), nullptr)
FORWARD(GMimeMessage*, g_mime_message_part_get_message, (GMimeMessagePart * part), (part),
        nullptr)
FORWARD(int, g_mime_multipart_get_count, (GMimeMultipart * multipart), (multipart), 0)
FORWARD(GMimeObject*, g_mime_multipart_get_part, (GMimeMultipart * multipart, int index),
        (multipart, index), nullptr)
FORWARD(const char*, g_mime_multipart_get_prologue, (GMimeMultipart * multipart), (multipart),
        nullptr)
FORWARD(GMimeContentType*, g_mime_object_get_content_type, (GMimeObject * object), (object),
        nullptr)
FORWARD(const char*, g_mime_object_get_content_type_parameter,
        (GMimeObject * object, const char* name), (object, name), nullptr)
FORWARD(const char*, g_mime_object_get_content_disposition_parameter,
        (GMimeObject * object, const char* name), (object, name), nullptr)
FORWARD(const char*, g_mime_object_get_header, (GMimeObject * object, const char* header),
        (object, header), nullptr)
FORWARD(char*, g_mime_object_get_headers, (GMimeObject * object, GMimeFormatOptions* options),
        (object, options), nullptr)
FORWARD(ssize_t, g_mime_object_write_to_stream,
        (GMimeObject * object, GMimeFormatOptions* options, GMimeStream* stream),
        (object, options, stream), -1)
FORWARD(const char*, g_mime_content_type_get_media_type, (GMimeContentType * type), (type),
        nullptr)
FORWARD(const char*, g_mime_content_type_get_media_subtype, (GMimeContentType * type), (type),
        nullptr)
FORWARD(gboolean, g_mime_content_type_is_type,
        (GMimeContentType * type, const char* media, const char* subtype),
        (type, media, subtype), FALSE)

// Parts and their content.
FORWARD(const char*, g_mime_part_get_filename, (GMimePart * part), (part), nullptr)
FORWARD(gboolean, g_mime_part_is_attachment, (GMimePart * part), (part), FALSE)
FORWARD(GMimeDataWrapper*, g_mime_part_get_content, (GMimePart * part), (part), nullptr)
FORWARD(GMimeContentEncoding, g_mime_part_get_content_encoding, (GMimePart * part), (part),
        GMIME_CONTENT_ENCODING_DEFAULT)
FORWARD(char*, g_mime_text_part_get_text, (GMimeTextPart * part), (part), nullptr)
FORWARD(ssize_t, g_mime_data_wrapper_write_to_stream,
        (GMimeDataWrapper * wrapper, GMimeStream* stream), (wrapper, stream), -1)
FORWARD(GMimeStream*, g_mime_data_wrapper_get_stream, (GMimeDataWrapper * wrapper), (wrapper),
        nullptr)
FORWARD(GMimeContentEncoding, g_mime_data_wrapper_get_encoding, (GMimeDataWrapper * wrapper),
        (wrapper), GMIME_CONTENT_ENCODING_DEFAULT)

// Building a message to send (alarms by mail).
FORWARD(GDateTime*, g_date_time_new_from_unix_utc, (gint64 seconds), (seconds), nullptr)
FORWARD(void, g_date_time_unref, (GDateTime * time), (time), void())
FORWARD(GMimeMessage*, g_mime_message_new, (gboolean prettyHeaders), (prettyHeaders), nullptr)
FORWARD(void, g_mime_message_set_subject,
        (GMimeMessage * message, const char* subject, const char* charset),
        (message, subject, charset), void())
FORWARD(void, g_mime_message_set_date, (GMimeMessage * message, GDateTime* date),
        (message, date), void())
FORWARD(void, g_mime_message_set_message_id, (GMimeMessage * message, const char* id),
        (message, id), void())
FORWARD(void, g_mime_message_set_mime_part, (GMimeMessage * message, GMimeObject* part),
        (message, part), void())
FORWARD(InternetAddressList*, g_mime_message_get_from, (GMimeMessage * message), (message),
        nullptr)
FORWARD(InternetAddressList*, g_mime_message_get_addresses,
        (GMimeMessage * message, GMimeAddressType type), (message, type), nullptr)
FORWARD(InternetAddressList*, internet_address_list_parse,
        (GMimeParserOptions * options, const char* text), (options, text), nullptr)
FORWARD(void, internet_address_list_append, (InternetAddressList * list, InternetAddressList* more),
        (list, more), void())
FORWARD(int, internet_address_list_length, (InternetAddressList * list), (list), 0)
FORWARD(GMimeTextPart*, g_mime_text_part_new_with_subtype, (const char* subtype), (subtype),
        nullptr)
FORWARD(void, g_mime_text_part_set_text, (GMimeTextPart * part, const char* text), (part, text),
        void())
FORWARD(void, g_mime_object_encode, (GMimeObject * object, GMimeEncodingConstraint constraint),
        (object, constraint), void())
FORWARD(char*, g_mime_object_to_string, (GMimeObject * object, GMimeFormatOptions* options),
        (object, options), nullptr)
FORWARD(GMimeFormatOptions*, g_mime_format_options_new, (void), (), nullptr)
FORWARD(void, g_mime_format_options_free, (GMimeFormatOptions * options), (options), void())
FORWARD(void, g_mime_format_options_set_newline_format,
        (GMimeFormatOptions * options, GMimeNewLineFormat format), (options, format), void())
FORWARD(char*, g_mime_utils_generate_message_id, (const char* domain), (domain), nullptr)
