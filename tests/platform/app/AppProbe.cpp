// Kalimo tests. MIT licence.
// A small program on the app kit: it reports what its application object receives
// and ends when it is ready, as a program that quits at once.
#include <Application.h>
#include <Entry.h>
#include <Message.h>

#include <cstdio>

namespace
{

class Probe : public BApplication
{
public:
	Probe() : BApplication("application/x-vnd.kalimo-probe") {}

	void ArgvReceived(int32 argc, char** argv) override
	{
		printf("argv %d", (int)argc);
		for (int32 i = 1; i < argc; i++)
			printf(" [%s]", argv[i]);
		printf("\n");
	}

	void RefsReceived(BMessage* message) override
	{
		entry_ref ref;
		for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++)
			printf("ref %s\n", ref.Path().c_str());
	}

	void ReadyToRun() override
	{
		printf("ready\n");
		PostMessage(B_QUIT_REQUESTED);
	}
};

} // namespace

int
main()
{
	Probe* app = new Probe;
	app->Run();
	printf("ended\n");
	delete app;
	return 0;
}
