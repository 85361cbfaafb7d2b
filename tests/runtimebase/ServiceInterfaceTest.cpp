#include <cppmicroservices/ServiceInterface.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace sample::deep {
struct Reader
{
  virtual ~Reader() = default;
  virtual int Read() = 0;
};
struct Writer
{
  virtual ~Writer() = default;
  virtual int Write() = 0;
};
struct ReaderWriter final : Reader, Writer
{
  int Read() override { return 1; }
  int Write() override { return 2; }
};
struct Custom
{};
} // namespace sample::deep

US_DECLARE_SERVICE_INTERFACE(sample::deep::Custom, "com.example.Custom/1.0")

namespace {

using cppmicroservices::ExtractInterface;
using cppmicroservices::InterfaceMapConstPtr;
using cppmicroservices::MakeInterfaceMap;

TEST(ServiceInterface, IdIsTheQualifiedTypeNameUnlessDeclared)
{
  EXPECT_EQ(us_service_interface_iid<sample::deep::Reader>(), "sample::deep::Reader");
  EXPECT_EQ(us_service_interface_iid<sample::deep::Custom>(), "com.example.Custom/1.0");
  EXPECT_EQ(us_service_interface_iid<void>(), "");
  // The cached id honours a declared id and stays the same object across calls.
  EXPECT_EQ(cppmicroservices::detail::ServiceInterfaceId<sample::deep::Custom>(), "com.example.Custom/1.0");
  EXPECT_EQ(&cppmicroservices::detail::ServiceInterfaceId<sample::deep::Reader>(),
            &cppmicroservices::detail::ServiceInterfaceId<sample::deep::Reader>());
}

TEST(ServiceInterface, InterfaceMapHoldsEachInterfaceAtItsOwnAddress)
{
  auto impl = std::make_shared<sample::deep::ReaderWriter>();
  InterfaceMapConstPtr map = MakeInterfaceMap<sample::deep::Reader, sample::deep::Writer>(impl);
  ASSERT_EQ(map->size(), 2u);

  // Multiple inheritance: the Writer subobject is not at the object's address, so the
  // stored pointer must have been cast before being erased to void.
  auto writer = ExtractInterface<sample::deep::Writer>(map);
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(writer->Write(), 2);
  EXPECT_EQ(writer.get(), static_cast<sample::deep::Writer*>(impl.get()));
  EXPECT_EQ(ExtractInterface<sample::deep::Reader>(map)->Read(), 1);
  EXPECT_EQ(ExtractInterface<sample::deep::Custom>(map), nullptr);

  auto untyped = ExtractInterface(map, "sample::deep::Writer");
  EXPECT_EQ(untyped.get(), static_cast<void*>(static_cast<sample::deep::Writer*>(impl.get())));
  EXPECT_NE(ExtractInterface(map, ""), nullptr) << "an empty id picks the first interface";
  EXPECT_EQ(ExtractInterface(map, "nope"), nullptr);
  EXPECT_EQ(ExtractInterface(InterfaceMapConstPtr(), "x"), nullptr);

  // The map shares ownership of the implementation.
  std::weak_ptr<sample::deep::ReaderWriter> watch = impl;
  impl.reset();
  writer.reset();
  untyped.reset();
  EXPECT_FALSE(watch.expired());
  map.reset();
  EXPECT_TRUE(watch.expired());
}

TEST(ServiceInterface, FactoryMapAnnouncesInterfacesAndHoldsTheFactory)
{
  EXPECT_THROW((MakeInterfaceMap<sample::deep::Reader>(std::shared_ptr<cppmicroservices::ServiceFactory>())),
               std::invalid_argument);
  std::shared_ptr<void> const fake(new int(0), [](void* p) { delete static_cast<int*>(p); });
  auto const factory = std::static_pointer_cast<cppmicroservices::ServiceFactory>(fake);
  InterfaceMapConstPtr map = MakeInterfaceMap<sample::deep::Reader>(factory);
  ASSERT_EQ(map->size(), 2u);
  EXPECT_EQ(map->at("org.cppmicroservices.factory"), fake);
  EXPECT_EQ(map->count("sample::deep::Reader"), 1u);
}

} // namespace
