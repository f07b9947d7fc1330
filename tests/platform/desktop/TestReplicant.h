// Kalimo tests. MIT licence.
#ifndef TEST_REPLICANT_H
#define TEST_REPLICANT_H

#include <View.h>

#include <string>

// The replicant the Deskbar tests install. It lives in a library of its own that the
// Deskbar host loads; the tests build the same class to archive it. It writes one
// line into the file named by its archive's "record" field when it is made
// ("made"), at each pulse ("pulse") and at each click ("down <buttons>").
class TestReplicant : public BView
{
public:
	static const char* kSignature;
	// The class name that Instantiate asks for, beside the C++ one, as real
	// replicants do with their item name.
	static const char* kItemClass;

	TestReplicant(const char* name, const std::string& record);
	TestReplicant(BMessage* archive);

	status_t Archive(BMessage* into, bool deep = true) const override;
	static BArchivable* Instantiate(BMessage* archive);

	void Pulse() override;
	void MouseDown(BPoint where) override;

private:
	void _Record(const std::string& line) const;

	std::string fRecord;
};

#endif // TEST_REPLICANT_H
