// Kalimo tests. MIT licence.
// A second process for the broadcast test: says "ready" once it listens, then prints
// the first broadcast it receives (BMessage::PrintToStream) and ends.
#include <BroadcastBus.h>
#include <Message.h>

#include <cstdio>

int
main()
{
	BroadcastListener listener;
	if (listener.InitCheck() != B_OK)
		return 2;
	printf("ready\n");
	fflush(stdout);
	BMessage message;
	status_t status = listener.Next(&message, 10000000);
	if (status != B_OK) {
		printf("%s\n", strerror_be(status));
		return 1;
	}
	message.PrintToStream();
	return 0;
}
