// Kalimo platform layer: Be API on Linux. MIT licence.
#ifndef INOTIFY_EVENTS_H
#define INOTIFY_EVENTS_H

#include <climits>
#include <sys/inotify.h>
#include <unistd.h>

// Reads every event that waits on a non-blocking inotify descriptor when called
// and hands each to visit. Events that come while it reads are left for the next
// call: a folder that changes without pause never keeps the caller here.
template <typename Visit>
void
ReadInotifyEvents(int fd, Visit visit)
{
	alignas(struct inotify_event) char buffer[16384];
	// A read fills the buffer while events wait, up to room for the largest one.
	const ssize_t filled = sizeof(buffer) - (sizeof(struct inotify_event) + NAME_MAX + 1);
	for (;;) {
		const ssize_t length = read(fd, buffer, sizeof(buffer));
		if (length <= 0)
			return;
		for (ssize_t at = 0; at < length;) {
			const struct inotify_event* event = (const struct inotify_event*)(buffer + at);
			at += (ssize_t)(sizeof(struct inotify_event) + event->len);
			visit(*event);
		}
		if (length < filled)
			return;
	}
}

#endif // INOTIFY_EVENTS_H
