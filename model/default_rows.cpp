#include "model/default_rows.h"

// The rows are written as the literals that the program has always used. A few are longer than
// their field ("Bathing Suit Coverups", "Outdoor Lounge Chairs" and the description of the
// antique textiles): storing them cuts them to the field's width, and the cut value is the one
// that the look-up finds, so they are never added twice.

namespace defaults {

namespace {

const TypeRow kArt[] = {
    {"Drawings", "Drawings"},
    {"Multiple Techniques", "Multiple Techniques"},
    {"Other", "Miscellaneous Items"},
    {"Photographs", "Photographic Images"},
    {"Paintings", "Paintings"},
    {"Prints", "Prints"},
    {"Sculpture", "Sculpture"},
};

const TypeRow kAntiques[] = {
    {"Antiquities", "Antiquities"},
    {"Architechural", "Garden, hardware, etc."},
    {"Asian", "Asian"},
    {"Books", "Books, Manuscripts"},
    {"Ceramics", "Ceramics"},
    {"Ethnographic", "African, Latin American, Native American, Pacific Rim, etc."},
    {"European", "European"},
    {"Folk Art", "Folk Art"},
    {"Furniture", "Furniture"},
    {"Glass", "Glass"},
    {"Maps", "Maps, Atlases"},
    {"Maritime", "Maritime"},
    {"Medical", "Medical"},
    {"Metalware", "Brass, bronze, gold, copper, pewter, etc."},
    {"Musical Instruments", "Musical Instruments"},
    {"Other", "Miscellaneous items"},
    {"Prints", "Antique Prints"},
    {"Primitives", "Primitives"},
    {"Reproductions", "Reproductions"},
    {"Science Instruments", "Science Instruments"},
    {"Silver", "Flatware, Hollow Ware, etc."},
    {"Silver Plate", "Flatware, Hollow Ware, etc."},
    {"Textiles, Linens", "Fabric, Lace, Crochet, Doiles, Linen, Quilt, Rug, Tapestry, etc."},
    {"Toleware", "Toleware"},
    {"Woodenware", "Woodenware"},
};

const TypeRow kAppliances[] = {
    {"Dryer", "Dryer"},
    {"Dish Washer", "Dish Washer"},
    {"Freezer", "Freezer"},
    {"Grill", "Grill"},
    {"Microwave", "Microwave"},
    {"Other", "Miscellaneous items"},
    {"Oven", "Oven"},
    {"Refrigerator", "Refrigerator"},
    {"Stove", "Stove or Range"},
    {"Trash Compactor", "Trash Compactor"},
    {"Washer", "Washer"},
    {"Wine Cooler", "Wine Cooler"},
};

const TypeRow kAudio[] = {
    {"33 RPM Record", "33 RPM Record"},
    {"45 RPM Record", "45 RPM Record"},
    {"78 RPM Record", "78 RPM Record"},
    {"8 Track Tape", "8 Track Tape"},
    {"Cassete Tape", "Cassete Tape"},
    {"CD", "CD"},
    {"CD 2 Disc Set", "CD 2 Disc Set"},
    {"CD Single", "CD Single"},
    {"Music DVD", "Music DVD"},
    {"Other", "Other"},
};

const TypeRow kBook[] = {
    {"Hard Cover", "Hard Cover"},
    {"Soft Cover", "Soft Cover"},
    {"Paperback", "Paperback"},
    {"Magazine", "Magazine"},
    {"Comic Book", "Comic Book"},
    {"Audio Book", "Audio Book"},
    {"Other", "Other"},
};

const TypeRow kClothing[] = {
    {"Bathing Suits", "Bathing Suits"},
    {"Bathing Suit Coverups", "Bathing Suit Coverups"},
    {"Bathrobes", "Bathrobes"},
    {"Belts", "Belts"},
    {"Blouses", "Blouses"},
    {"Boots", "Boots"},
    {"Capri Pants", "Capri Pants"},
    {"Coats", "Coats"},
    {"Dresses", "Dresses"},
    {"Evening Gowns", "Evening Gowns, Formal Wear"},
    {"Gloves", "Gloves"},
    {"Hats", "Hats"},
    {"Jackets", "Jackets"},
    {"Jeans", "Jeans"},
    {"Other", "Miscellaneous items"},
    {"Panty Hose", "Panty Hose"},
    {"Purses", "Purses"},
    {"Nightwear", "Nightwear"},
    {"Scarves", "Scarves"},
    {"Shirts", "Shirts"},
    {"Shoes", "Shoes, Sandels, Sneakers, Boots, etc."},
    {"Shorts", "Shorts"},
    {"Skirts", "Skirts"},
    {"Slacks", "Slacks"},
    {"Slips", "Slips"},
    {"Slippers", "Slippers"},
    {"Sneakers", "Sneakers"},
    {"Socks", "Socks"},
    {"Sports Jackets", "Sports Jackets"},
    {"Suits", "Suits"},
    {"Sweaters", "Sweaters"},
    {"Sweatshirts", "Sweatshirts"},
    {"Tee Shirts", "Tee Shirts"},
    {"Ties", "Ties"},
    {"Underwear", "Underwear"},
};

const TypeRow kElectronics[] = {
    {"Answering Machine", "Answering Machine"},
    {"Camera", "Cameras"},
    {"Camcorders", "Camcorders"},
    {"CD Player", "CD Player"},
    {"Computer", "Computers, Monitors, Printers, Scanners, etc."},
    {"Copier", "Copier"},
    {"DVD Player", "DVD Player"},
    {"Fax Machine", "Fax Machine"},
    {"Other", "Miscellaneous items"},
    {"Phone", "Phone"},
    {"Radio", "Radio, Boombox, etc."},
    {"Speaker Systems", "Speaker Systems"},
    {"Stereo", "Stereo, Stereo Components, etc."},
    {"TV", "Televisions"},
};

const TypeRow kFood[] = {
    {"Baking Supplies", "Bakinf supplies"},
    {"Canned", "Canned food"},
    {"Cereals", "Cereals"},
    {"Frozen", "Frozen foods"},
    {"Other", "Miscellaneous items"},
    {"Packaged", "Packaged foods"},
    {"Spices", "Spices"},
};

const TypeRow kFurniture[] = {
    {"Bakers Rack", "Backers Rack"},
    {"Bar", "Bar"},
    {"Bar Stools", "Bar Stools"},
    {"Bed", "Bed"},
    {"Bookshelves", "Bookshelves"},
    {"Buffet", "Buffet"},
    {"Card Table", "Card Table"},
    {"Chair", "Chair"},
    {"China Cabinet", "China Cabinet"},
    {"Coffee Table", "Coffee Table"},
    {"Curio Cabinet", "Curio Cabinet"},
    {"Desk", "Desk"},
    {"Dresser", "Dresser"},
    {"End Table", "End Table"},
    {"Entertainment Center", "Entertainment Center"},
    {"Etagere", "Etagere"},
    {"Grandfather Clock", "Grandfather Clock"},
    {"Hutch", "Hutch"},
    {"Lamp", "Lamp"},
    {"Lounge Chair", "Lounge Chair"},
    {"Love Seat", "Love Seat"},
    {"Mattress", "Mattress"},
    {"Mirror", "Mirror"},
    {"Night Stand", "Night Stand"},
    {"Other", "Miscellaneous"},
    {"Outdoor Lounge Chairs", "Outdoor Lounge Chairs"},
    {"Patio Furniture", "Patio Furniture"},
    {"Rug", "Rug"},
    {"Sleeper Sofa", "Sleeper Sofa"},
    {"Sofa", "Sofa"},
    {"Springs (Bed)", "Springs (Bed)"},
    {"Table", "Table"},
    {"TV Stand", "TV Stand"},
    {"TV Trays", "TV Trays"},
};

const TypeRow kHolidayDecor[] = {
    {"Christmas Lights", "Christmas lights, indoor & outdoor"},
    {"Christmas Ornaments", "Christmas Ornaments"},
    {"Door Ornaments", "Door Ornaments"},
    {"Easter decorations", "Easter Decorations"},
    {"Flags", "Decorative flags"},
    {"Halloween Decor", "Halloween decorations"},
    {"Other", "Miscellaneous items"},
    {"Outdoor Displays", "Outdoor displays"},
    {"Party Decorations", "Party Decorations"},
    {"Wreathes", "Wreathes"},
};

const TypeRow kInteriorDecor[] = {
    {"Accessories", "Coasters, candles, ash trays, etc."},
    {"Clocks", "Clocks"},
    {"Mirrors", "Mirrors"},
    {"Other", "Miscellaneous items"},
    {"Pictures", "Pictures"},
    {"Plants, Live", "Live plants"},
    {"Plant Stands", "Plant Stands"},
    {"Sconce", "Sconce"},
    {"Silk Plants", "Silk Plants"},
    {"Tapestry", "Tapestry"},
    {"Wall Hangings", "Wall hangings"},
    {"Waste Baskets", "Waste Baskets"},
    {"Window Treatments", "Window treatments, drapes, blinds, shades"},
    {"Throw rugs", "Throw Rugs"},
};

const TypeRow kJewelry[] = {
    {"Beads", "Beads"},
    {"Bracelet", "Bracelet"},
    {"Costume Jewelry", "Costume Jewelry"},
    {"Earrings", "Earrings"},
    {"Ethnic", "Ethnic, tribal jewelry"},
    {"Hair Jewelry", "Hair Jewelry"},
    {"Jewelry Boxes", "Jewelry Boxes"},
    {"Loose Gemstones", "Loose Gemstones"},
    {"Necklace", "Necklace, slide, omega"},
    {"Other", "Miscellaneous items"},
    {"Pin", "Pin, broach"},
    {"Ring", "Ring"},
    {"Watch", "Watch"},
};

const TypeRow kKitchen[] = {
    {"Baking Pans", "Baking Pans"},
    {"Blender", "Blender"},
    {"Bread Maker", "Bread Maker"},
    {"Canister Set", "Canister Set"},
    {"Can Opener", "Can Opener"},
    {"Casserole Dish", "Casserole Dish, Pyrex, Corning Ware"},
    {"Coffee Grinder", "Coffee Grinder"},
    {"Coffee Maker", "Coffee Maker"},
    {"Cookie Jar", "Cookie Jar"},
    {"Cutting Board", "Cutting Board"},
    {"Dishes", "Dishes"},
    {"Electric Frying Pan", "Electric Frying Pan"},
    {"Glasses", "Glasses"},
    {"Juicer", "Juicer"},
    {"Mixer", "Mixer"},
    {"Mixing Bowls", "Mixing Bowls"},
    {"Other", "Miscellaneous items"},
    {"Pots/Pans", "Pots/Pans"},
    {"Serving Dishes", "Serving Dishes"},
    {"Silverware", "Silverware"},
    {"Storage Containers", "Storage Containers"},
    {"Tea Kettle", "Tea Kettle"},
    {"Tea Pot", "Tea Pot"},
    {"Toaster", "Toaster"},
    {"Toaster Oven", "Toaster Oven"},
    {"Towels", "Towels, Placemats, Napkins, Linens"},
    {"Utensils", "Utensils"},
    {"Wok", "Wok"},
};

const TypeRow kLinens[] = {
    {"Accent Rugs", "Accent Rugs"},
    {"Bathroom Rugs", "Bathroom Rugs"},
    {"Beach towels", "Beach Towels"},
    {"Bed Skirts", "Bed Skirts"},
    {"Bed Spreads", "Bed Spreads"},
    {"Blankets", "Blanket"},
    {"Comforter", "Comforter"},
    {"Feather Bed", "Feather Bed"},
    {"Mattress Pads", "Mattress Pads"},
    {"Other", "Miscellaneous items"},
    {"Pillows", "Pillows"},
    {"Pillow Cases", "Pillow Cases"},
    {"Shams", "Shams"},
    {"Sheets", "Sheets"},
    {"Shower Curtains", "Shower Curtains"},
    {"Tablecloths", "Tablecloths"},
    {"Throws", "Throws"},
    {"Towels", "Towels, washcloths, hand towels, bath towels"},
};

const TypeRow kOffice[] = {
    {"Books", "Reference books"},
    {"Briefcase", "Briefcase"},
    {"Bulletin Board", "Bulletin board"},
    {"Computer Supplies", "Ink cartridges, disks, CDs, etc."},
    {"Desk Accessories", "Desk Accessories"},
    {"Pencil Sharpener", "Electric Pencil Sharpener"},
    {"File Cabinets", "File Cabinets"},
    {"Office Equipment", "Scissor, stapler, hole punch, rulers, etc."},
    {"Office Supplies", "Paper, pens, tape, stationery, labels, file folders, etc."},
    {"Other", "Miscellaneous items"},
    {"Paper Shredded", "Paper Shredder"},
    {"Postal Meter", "Postal Meter"},
    {"Software", "Software"},
    {"Typewriter", "Typewriter"},
};

const TypeRow kOutdoor[] = {
    {"Area Carpets", "Area Carpets"},
    {"Awnings", "Awnings"},
    {"Bar Set", "Bar Set"},
    {"Bench", "Bench"},
    {"Bird Feeders", "Bird Feeders"},
    {"Chaise Lounge", "Chaise lounge, lounge chairs"},
    {"Cushions", "Cushions"},
    {"Fountain", "Fountain"},
    {"Furniture Covers", "Furniture Covers"},
    {"Hammock", "Hammocks"},
    {"Other", "Miscellaneous items"},
    {"Outdoor Lighting", "Outdoor Lighting"},
    {"Patio Furniture", "Patio Furniture"},
    {"Planters", "Planters"},
    {"Table Set", "Table Set"},
    {"Tea Cart", "Tea Cart"},
    {"Swing", "Swing"},
    {"Umbrella", "Umbrella"},
    {"Wind Chimes", "Wind Chimes"},
    {"Yard Sculptures", "Yard sculptures"},
};

const TypeRow kHobby[] = {
    {"Crafts", "Crafts"},
    {"Collectibles", "Collectibles"},
    {"Kites", "Kites"},
    {"Models", "Models"},
};

const TypeRow kToys[] = {
    {"Action Toys", "Action toys"},
    {"Dolls", "Dolls"},
    {"Games", "Games"},
    {"Puzzles", "Puzzles"},
    {"Building Sets", "Building sets"},
    {"Models", "Models"},
    {"Vehicles", "Vehicles & die cast"},
    {"Learing", "Learing & education"},
    {"Bikes", "Bikes, scooters, etc."},
    {"Sports", "Sports & outdoor play"},
};

const TypeRow kVideo[] = {
    {"DVD", "DVD"},
    {"8 MM", "8 MM"},
    {"VHS Tape", "VHS Tape"},
    {"Laser Disc", "Laser Disc"},
    {"Video Game", "Video Game"},
    {"Other", "Other"},
};

// In the order of adding; the types of each category follow it at once.
const CategoryRow kCategories[] = {
    {"Art", "Art, Pictures, Collectibles, etc", kArt, false},
    {"Antiques", "Antiques", kAntiques, false},
    {"Appliances", "Large Appliances", kAppliances, false},
    {"Audio", "Audio Library", kAudio, true},
    {"Book", "Book Library", kBook, true},
    {"Clothing", "Clothing, Shoes, etc.", kClothing, false},
    {"Electronics", "TVs, Cameras, Computers, Electronics, etc.", kElectronics, false},
    {"Food", "Food", kFood, false},
    {"Furniture", "Furniture", kFurniture, false},
    {"Holiday Decor", "Holiday Decorations, etc.", kHolidayDecor, false},
    {"Interior Decor", "Interior Decorations", kInteriorDecor, false},
    {"Jewelry", "Jewelry, Watches, etc.", kJewelry, false},
    {"Kitchen", "Kitchen Small Appliances, Dishes, Silverware, Cookware, etc.", kKitchen, false},
    {"Linens", "Linens, Bedding, etc.", kLinens, false},
    {"Office", "Office Equipment, Supplies, etc.", kOffice, false},
    {"Outdoor", "Outdoor Furniture, Equipment, etc.", kOutdoor, false},
    {"Miscellaneous", "Miscellaneous items", {}, false},
    {"Shop", "Shop equipment, power and hand tools, supplies, etc.", {}, false},
    {"Hobby", "Hobbies, Collectibles, etc.", kHobby, false},
    {"Toys", "Toys, Dolls, etc.", kToys, false},
    {"Video", "Video Library", kVideo, true},
};

const RoomRow kRooms[] = {
    {"Cellar", "Cellar"},
    {"Closet", "Closet"},
    {"Den", "Den"},
    {"Dining Room", "Dining Room"},
    {"Family Room", "Family Room"},
    {"Foyer", "Foyer"},
    {"Garage", "Garage"},
    {"Great Room", "Great Room"},
    {"Guest Bedroom", "Guest Bedroom"},
    {"Guest Bathroom", "Guest Bathroom"},
    {"Hall", "Hall"},
    {"Kitchen", "Kitchen"},
    {"Living Room", "Living Room"},
    {"Library", "Library"},
    {"Master Bedroom", "Master Bedroom"},
    {"Master Bathroom", "Master Bathroom"},
    {"Office", "Office"},
    {"Powder Room", "Powder Room, Pool Bath"},
    {"Storage Room", "Storage Room"},
};

const ConditionRow kConditions[] = {
    {1, "Mint/New"},
    {2, "Like New"},
    {3, "Excellent"},
    {4, "Very Good"},
    {5, "Good"},
    {6, "Fair"},
    {7, "Poor"},
};

const char *const kManufacturers[] = {
    "Bowes Electronics",
    "Dell Computer",
    "Drexel Furniture",
    "Gateway Computer",
    "General Electric",
    "HP Hewlitt Packard",
    "IBM",
    "Kenmore",
    "Kitchen Aid",
    "Lazy Boy",
    "Lexington Furniture",
    "Maytag",
    "Sony",
};

const char *const kVendors[] = {
    "Amazon.com",  // the online store comes first in both places that add vendors
    "Barnes & Nobel",
    "Best Buy",
    "BJ's Wholesale Club",
    "Circuit City",
    "Costco",
    "Home Depot",
    "Home Shopping Net",
    "J. C. Penny",
    "K-Mart",
    "Lowes Home Imprv",
    "Media Play",
    "Office Depot",
    "Office Max",
    "QVC",
    "Sam's Club",
    "Sears",
    "Wal-Mart",
};

const char *const kSubjects[] = {
    "'50s Oldies", "'60s Oldies", "'70s Oldies", "'80s Oldies", "N/A", "Action", "Adult", "Adventure",
    "Alternative Rock", "Americanna", "Animation", "Art", "Big Band", "Biography", "Blue Grass", "Blues",
    "Broadway", "Business", "Children", "Christian", "Christmas", "Classical", "Collecting", "College",
    "Comedy", "Computers", "Cook Books", "Country Classics", "Country Today", "Dance", "Diet", "Documentary",
    "Drama", "Easy Listening", "Education", "Exercise", "Fantasy", "Folk", "Foreign", "Gardening", "Gospel",
    "Health, Mind, & Body", "History", "Hobbies", "Home Improvement", "Home Movie", "Horror", "Hip Hop",
    "How to Do It", "Investing", "Jazz", "Latin", "Light Classical", "Light Jazz", "Metal", "Motivational",
    "Music Video", "Musicals", "Mystery", "New Wave", "Opera", "Outdoors & Nature", "Parenting & Families",
    "Photography", "Professional", "Progressive", "R & B", "Rap", "Reference", "Reggae", "Religious",
    "Religion & Spirtuality", "Rock", "Rock, Classic", "Rock, Power", "Rock, Soft", "Romance",
    "Romantic Comedy", "Science", "Science Fiction", "Self Help", "Smooth Jazz", "Software", "Soundscapes",
    "Sports", "Suspense", "Swing", "Technical", "Teens", "Travel", "Engineering", "Entertainment",
    "Gay & Lesbian", "Law", "Medicine", "Literature", "Thrillers", "Internet", "Western",
};

const char *const kUserFieldTitles[] = {"User Field 1", "User Field 2", "User Field 3", "User Field 4"};

}  // namespace

std::span<const CategoryRow> categories() { return kCategories; }
std::span<const RoomRow> rooms() { return kRooms; }
std::span<const ConditionRow> conditions() { return kConditions; }
std::span<const char *const> manufacturers() { return kManufacturers; }
std::span<const char *const> vendors() { return kVendors; }
std::span<const char *const> subjects() { return kSubjects; }
std::span<const char *const> userFieldTitles() { return kUserFieldTitles; }

}  // namespace defaults
