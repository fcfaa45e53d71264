// Built into each program that jemalloc serves.
//
// One arena for every thread: the compile's threads read a source on one thread, free it on
// another and write the book on a third, and memory freed into one thread's arena stayed there
// while the next large source took new pages in another's. On 2,000 manuals the peak is a sixth
// lower, and no slower.
extern "C" {
extern const char *malloc_conf;
const char *malloc_conf = "narenas:1";
}
