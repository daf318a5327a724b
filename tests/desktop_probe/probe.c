/* A small GTK program the desktop tests drive: a window with the title given
 * on the command line, an entry, a check box and a button. It reports on
 * standard output, one line each, what reaches it:
 *   ready                 the window is shown and has the focus
 *   key NAME MODS         a key pressed (MODS: letters c s a for Ctrl Shift Alt, or -)
 *   text TEXT             the entry's text after a change
 *   clicked               the button was pressed
 *   check 0|1             the check box changed
 *   clip TEXT             the clipboard's text (after "clip-get")
 *   close-refused         the window refused a close request
 * and takes commands on standard input, one a line:
 *   clip-set TEXT, clip-get, title TEXT, check, focus entry|check|button,
 *   where entry|check|button (answers "NAME X Y", its centre on the screen), quit
 * Options: --refuse-close (the close box does nothing). */
#include <gtk/gtk.h>
#include <stdio.h>
#include <string.h>

static GtkWidget *window_, *entry_, *check_, *button_;
static gboolean refuse_close_ = FALSE;

static void say(const char *format, ...) {
  va_list arguments;
  va_start(arguments, format);
  vprintf(format, arguments);
  va_end(arguments);
  putchar('\n');
  fflush(stdout);
}

static gboolean on_key(GtkWidget *widget, GdkEventKey *event, gpointer data) {
  (void)widget;
  (void)data;
  const char *name = gdk_keyval_name(event->keyval);
  char mods[4] = "";
  if (event->state & GDK_CONTROL_MASK) strcat(mods, "c");
  if (event->state & GDK_SHIFT_MASK) strcat(mods, "s");
  if (event->state & GDK_MOD1_MASK) strcat(mods, "a");
  say("key %s %s", name ? name : "?", mods[0] ? mods : "-");
  return FALSE;
}

static void on_changed(GtkEditable *editable, gpointer data) {
  (void)data;
  say("text %s", gtk_entry_get_text(GTK_ENTRY(editable)));
}

static void on_clicked(GtkButton *button, gpointer data) {
  (void)button;
  (void)data;
  say("clicked");
}

static void on_toggled(GtkToggleButton *toggle, gpointer data) {
  (void)data;
  say("check %d", gtk_toggle_button_get_active(toggle) ? 1 : 0);
}

static gboolean on_delete(GtkWidget *widget, GdkEvent *event, gpointer data) {
  (void)widget;
  (void)event;
  (void)data;
  if (refuse_close_) say("close-refused");
  return refuse_close_;
}

static gboolean announced_ = FALSE;
static gboolean on_focus(GtkWidget *widget, GdkEvent *event, gpointer data) {
  (void)widget;
  (void)event;
  (void)data;
  if (!announced_) {
    announced_ = TRUE;
    say("ready");
  }
  return FALSE;
}

static void on_clip_text(GtkClipboard *clipboard, const gchar *text, gpointer data) {
  (void)clipboard;
  (void)data;
  say("clip %s", text ? text : "");
}

static gboolean on_command(GIOChannel *channel, GIOCondition condition, gpointer data) {
  (void)condition;
  (void)data;
  gchar *line = NULL;
  gsize length = 0;
  GIOStatus status = g_io_channel_read_line(channel, &line, &length, NULL, NULL);
  if (status == G_IO_STATUS_EOF || status == G_IO_STATUS_ERROR) {
    gtk_main_quit();
    return FALSE;
  }
  if (!line) return TRUE;
  g_strchomp(line);
  GtkClipboard *clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  if (g_str_has_prefix(line, "clip-set ")) {
    gtk_clipboard_set_text(clipboard, line + 9, -1);
    say("clip-set");
  } else if (g_str_has_prefix(line, "title ")) {
    gtk_window_set_title(GTK_WINDOW(window_), line + 6);
  } else if (strcmp(line, "clip-get") == 0) {
    gtk_clipboard_request_text(clipboard, on_clip_text, NULL);
  } else if (strcmp(line, "check") == 0) {
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check_), !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check_)));
  } else if (strcmp(line, "disable button") == 0) {
    gtk_widget_set_sensitive(button_, FALSE);
    say("disabled");
  } else if (strcmp(line, "focus entry") == 0) {
    gtk_widget_grab_focus(entry_);
    say("focused");
  } else if (strcmp(line, "focus check") == 0) {
    gtk_widget_grab_focus(check_);
    say("focused");
  } else if (strcmp(line, "focus button") == 0) {
    gtk_widget_grab_focus(button_);
    say("focused");
  } else if (g_str_has_prefix(line, "where ")) {
    /* A widget's centre on the screen. */
    const char *which = line + 6;
    GtkWidget *widget = strcmp(which, "entry") == 0 ? entry_ : strcmp(which, "check") == 0 ? check_ : button_;
    GtkAllocation allocation;
    gtk_widget_get_allocation(widget, &allocation);
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(widget, window_, allocation.width / 2, allocation.height / 2, &x, &y);
    int root_x = 0, root_y = 0;
    gdk_window_get_origin(gtk_widget_get_window(window_), &root_x, &root_y);
    say("%s %d %d", which, root_x + x, root_y + y);
  } else if (strcmp(line, "quit") == 0) {
    gtk_main_quit();
  }
  g_free(line);
  return TRUE;
}

int main(int argc, char **argv) {
  gtk_init(&argc, &argv);
  const char *title = "Sonda";
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--refuse-close") == 0) refuse_close_ = TRUE;
    else title = argv[i];
  }
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), title);
  gtk_window_set_default_size(GTK_WINDOW(window_), 320, 160);
  GtkWidget *box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  entry_ = gtk_entry_new();
  gtk_widget_set_name(entry_, "Campo");
  atk_object_set_name(gtk_widget_get_accessible(entry_), "Campo");
  check_ = gtk_check_button_new_with_label("Marcar");
  button_ = gtk_button_new_with_label("Gravar");
  gtk_box_pack_start(GTK_BOX(box), entry_, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), check_, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), button_, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(window_), box);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(on_key), NULL);
  g_signal_connect(window_, "delete-event", G_CALLBACK(on_delete), NULL);
  g_signal_connect(window_, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  g_signal_connect(window_, "focus-in-event", G_CALLBACK(on_focus), NULL);
  g_signal_connect(entry_, "changed", G_CALLBACK(on_changed), NULL);
  g_signal_connect(button_, "clicked", G_CALLBACK(on_clicked), NULL);
  g_signal_connect(check_, "toggled", G_CALLBACK(on_toggled), NULL);
  GIOChannel *input = g_io_channel_unix_new(0);
  g_io_add_watch(input, G_IO_IN | G_IO_HUP | G_IO_ERR, on_command, NULL);
  gtk_widget_show_all(window_);
  gtk_widget_grab_focus(entry_);
  gtk_window_present(GTK_WINDOW(window_));
  gtk_main();
  return 0;
}
