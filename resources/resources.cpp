// The pictures are compiled in by qt_add_resources; this file gives the
// library a translation unit of its own.
namespace VarkoResources {
int linked()
{
    return 1;
}
} // namespace VarkoResources
