#include "engine/Sha256.h"

#include <gtest/gtest.h>

namespace norvane {

namespace {

struct Vector {
    std::string message;
    std::string digest;
};

// Published vectors, and runs of 'a' around the padding boundaries (55/56
// bytes leave room for the length or not; 64 fills a block exactly).
std::vector<Vector> Vectors()
{
    return {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrs"
         "tnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(65, 'a'), "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
        {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
        {std::string(120, 'a'), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
    };
}

}  // namespace

TEST(Sha256, KnownVectorsWholeAndInPieces)
{
    for (const auto& v : Vectors()) {
        SCOPED_TRACE("length " + std::to_string(v.message.size()));
        EXPECT_EQ(Sha256Hex(v.message), v.digest);
        for (const std::size_t piece : {1, 3, 63, 64, 65}) {
            SCOPED_TRACE("pieces of " + std::to_string(piece));
            Sha256 hash;
            for (std::size_t at = 0; at < v.message.size(); at += piece)
                hash.Update(std::string_view(v.message).substr(at, piece));
            EXPECT_EQ(hash.Final(), v.digest);
        }
    }
}

TEST(Sha256, OneMillionA)
{
    Sha256 hash;
    const std::string thousand(1000, 'a');
    for (int i = 0; i < 1000; ++i)
        hash.Update(thousand);
    EXPECT_EQ(hash.Final(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, FinalStartsOver)
{
    Sha256 hash;
    hash.Update("some earlier message");
    hash.Final();
    hash.Update("abc");
    EXPECT_EQ(hash.Final(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hash.Final(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(Sha256, EveryByteValueCounts)
{
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        bytes.push_back(static_cast<char>(c));
    // Digest of the bytes 0..255 in order.
    EXPECT_EQ(Sha256Hex(bytes), "40aff2e9d2d8922e47afd4648e6967497158785fbd1da870e7110266bf944880");
}

}  // namespace norvane
