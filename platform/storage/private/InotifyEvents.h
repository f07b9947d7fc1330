// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef INOTIFY_EVENTS_H
#define INOTIFY_EVENTS_H

#include <sys/inotify.h>
#include <unistd.h>

// Reads every event waiting on a non-blocking inotify descriptor and hands each
// to visit, until none is left.
template <typename Visit>
void
ReadInotifyEvents(int fd, Visit visit)
{
	alignas(struct inotify_event) char buffer[16384];
	for (;;) {
		const ssize_t length = read(fd, buffer, sizeof(buffer));
		if (length <= 0)
			return;
		for (ssize_t at = 0; at < length;) {
			const struct inotify_event* event = (const struct inotify_event*)(buffer + at);
			at += (ssize_t)(sizeof(struct inotify_event) + event->len);
			visit(*event);
		}
	}
}

#endif // INOTIFY_EVENTS_H
