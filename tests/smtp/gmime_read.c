/* Reads a mail with GMime and prints what a GMime reader sees, as one JSON
 * object: subject, To and Cc as [name, address] pairs, the plain text, the
 * attachments' file names and the text of an attached mail.
 *
 *     gmime_read MAIL.eml
 *
 * Built natively by check_composed_mail.py when GMime 3 is installed. */
#include <fcntl.h>
#include <gmime/gmime.h>
#include <stdio.h>
#include <string.h>

static void put_json(const char *text)
{
    const unsigned char *p = (const unsigned char *) (text ? text : "");
    putchar('"');
    for (; *p; p++) {
        if (*p == '"' || *p == '\\')
            printf("\\%c", *p);
        else if (*p < 0x20)
            printf("\\u%04x", *p);
        else
            putchar(*p);
    }
    putchar('"');
}

static void put_addresses(InternetAddressList *list)
{
    putchar('[');
    int n = list ? internet_address_list_length(list) : 0;
    for (int i = 0; i < n; i++) {
        InternetAddress *a = internet_address_list_get_address(list, i);
        printf(i ? ", [" : "[");
        put_json(internet_address_get_name(a));
        printf(", ");
        put_json(INTERNET_ADDRESS_IS_MAILBOX(a) ? internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(a)) : "");
        putchar(']');
    }
    putchar(']');
}

static char *text_of(GMimeMessage *message)
{
    GMimeObject *body = g_mime_message_get_body(message);
    return body && GMIME_IS_TEXT_PART(body) ? g_mime_text_part_get_text(GMIME_TEXT_PART(body)) : NULL;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: gmime_read MAIL\n");
        return 2;
    }
    g_mime_init();
    GMimeStream *stream = g_mime_stream_fs_open(argv[1], O_RDONLY, 0644, NULL);
    if (!stream)
        return 1;
    GMimeParser *parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage *message = g_mime_parser_construct_message(parser, NULL);
    if (!message)
        return 1;
    printf("{\"subject\": ");
    put_json(g_mime_message_get_subject(message));
    printf(", \"to\": ");
    put_addresses(g_mime_message_get_addresses(message, GMIME_ADDRESS_TYPE_TO));
    printf(", \"cc\": ");
    put_addresses(g_mime_message_get_addresses(message, GMIME_ADDRESS_TYPE_CC));
    char *text = text_of(message);
    printf(", \"body\": ");
    put_json(text);
    g_free(text);
    printf(", \"files\": [");
    char *inner = NULL;
    GMimePartIter *iter = g_mime_part_iter_new((GMimeObject *) message);
    int files = 0;
    do {
        GMimeObject *part = g_mime_part_iter_get_current(iter);
        if (GMIME_IS_MESSAGE_PART(part)) {
            GMimeMessage *enclosed = g_mime_message_part_get_message(GMIME_MESSAGE_PART(part));
            if (enclosed && !inner)
                inner = text_of(enclosed);
        } else if (GMIME_IS_PART(part) && g_mime_part_is_attachment(GMIME_PART(part))) {
            if (files++)
                printf(", ");
            put_json(g_mime_part_get_filename(GMIME_PART(part)));
        }
    } while (g_mime_part_iter_next(iter));
    printf("], \"inner\": ");
    put_json(inner);
    printf("}\n");
    g_free(inner);
    g_mime_part_iter_free(iter);
    g_object_unref(message);
    g_object_unref(parser);
    g_object_unref(stream);
    return 0;
}
