// The C# and page scanners, which share the Java parsers: C# using,
// namespaces, properties, attributes, generics and its strings; the code
// and script blocks of pages.
#include "scanners/tvt_cpp/cpp_testutil.h"

namespace {

using CsharpScan = CppScan;

TEST_F(CsharpScan, UsingAndNamespaces)
{
    scan("using System.IO;\nusing static System.Math;\nusing Alias = System.Text;\n"
         "namespace N { class K {} }\n",
         tvt_csharp_scan);
    EXPECT_EQ(dump(), "IMPORT System.IO\nIMPORT System.Math\nIMPORT System.Text\nNAMESPACE N\nCLASS K\n");
}

TEST_F(CsharpScan, FileScopedNamespaceAndRealLookingFile)
{
    scan("using System;\n"
         "namespace Shop.Orders;\n"
         "\n"
         "[Serializable, DebuggerDisplay(\"{Id}\")]\n"
         "public sealed partial class Order<T> : Entity, IComparable<Order<T>> where T : struct\n"
         "{\n"
         "    private readonly List<T> _items = new();\n"
         "    public int Id { get; init; } = 1;\n"
         "    public string Name => $\"Order {Id} {{x}}\";\n"
         "    public string Path { get { return @\"C:\\dir\\\"; } }\n"
         "    public event EventHandler Changed;\n"
         "    public Order(int id) : base(id) { }\n"
         "    public async Task<int> SaveAsync<TKey>(TKey key) where TKey : notnull => await Do(key);\n"
         "    public static Order<T> operator +(Order<T> a, Order<T> b) { return a; }\n"
         "    int IComparable<Order<T>>.CompareTo(Order<T> o) => 0;\n"
         "    [Obsolete] public int? Maybe;\n"
         "}\n"
         "public struct Point { public int X; }\n"
         "public enum Kind : byte { [Description(\"a\")] A = 1, B, C = A | B }\n"
         "public record Person(string Name, int Age);\n"
         "interface IShape { double Area(); }\n",
         tvt_csharp_scan);
    EXPECT_EQ(dump(), "IMPORT System\nNAMESPACE Shop.Orders\nCLASS Order\nMEMBER _items<Order\n"
                      "PROPERTY Id<Order\nPROPERTY Name<Order\nPROPERTY Path<Order\nMEMBER Changed<Order\n"
                      "METHOD Order<Order\nMETHOD SaveAsync<Order\nMETHOD +<Order\nMETHOD CompareTo<Order\n"
                      "MEMBER Maybe<Order\nSTRUCT Point\nMEMBER X<Point\nENUM Kind\nENUM_MEMBER A<Kind\n"
                      "ENUM_MEMBER B<Kind\nENUM_MEMBER C<Kind\nCLASS Person\nMEMBER Name<Person\n"
                      "MEMBER Age<Person\nINTERFACE IShape\nMETHOD Area<IShape\n");
    EXPECT_EQ(find("Order")->inherit, (std::vector<std::string>{"Entity", "IComparable"}));
    EXPECT_EQ(find("Id")->type_text, "int");
}

TEST_F(CsharpScan, VerbatimAndRawStringsHideBracesAndQuotes)
{
    scan("class S {\n"
         "  string a = @\"}\"\" \\\";\n"
         "  string b = @\"line {\n  two }\";\n"
         "  string c = $@\"{x} }\";\n"
         "  string d = \"\"\"\n  { \" }\n  \"\"\";\n"
         "  int after;\n"
         "}\n",
         tvt_csharp_scan);
    EXPECT_EQ(dump(), "CLASS S\nMEMBER a<S\nMEMBER b<S\nMEMBER c<S\nMEMBER d<S\nMEMBER after<S\n");
}

TEST_F(CsharpScan, ConditionalCodeKeepsBracesBalanced)
{
    scan("class P {\n#if DEBUG\n  void F() {\n#else\n  void F(int x) {\n#endif\n  }\n  int after;\n}\n",
         tvt_csharp_scan);
    EXPECT_EQ(find("after")->type, TT_MEMBER);
    EXPECT_EQ(seen_tags()[size_t(find("after")->parent)].name, "P");
}

TEST_F(CsharpScan, GenericsTuplesDelegatesAndLocals)
{
    tvt_opt.locals = 1;
    scan("class G<TKey, TValue> where TKey : notnull {\n"
         "  public (int a, string b) Pair() => (1, \"x\");\n"
         "  public delegate void Handler(object s, EventArgs e);\n"
         "  Dictionary<TKey, List<TValue>> map = new Dictionary<TKey, List<TValue>>(), other;\n"
         "  public T Find<T>(Func<T, bool> p) where T : class {\n"
         "    var hit = map.Values; foreach (var v in hit) { int n = 0; }\n"
         "    using (var s = Open()) { } lock (this) { }\n"
         "    return default;\n"
         "  }\n"
         "  ~G() { }\n"
         "}\n",
         tvt_csharp_scan);
    EXPECT_EQ(dump(), "CLASS G\nMETHOD Pair<G\nMETHOD Handler<G\nMEMBER map<G\nMEMBER other<G\n"
                      "METHOD Find<G\nLOCAL hit<Find\nLOCAL n<Find\nMETHOD G<G\n");
    EXPECT_EQ(find("Pair")->type_text, "(int a, string b)");
}

using JspScan = CppScan;

TEST_F(JspScan, OnlyCodeAndScriptsAreTagged)
{
    scan("<%@ page import=\"java.util.*\" %>\n"
         "<html><body> int notCode; class NotCode {} don't\n"
         "<%-- <% int commented; %> --%>\n"
         "<%! private int count = 0;\n"
         "    String greet(String who) { return \"hi \" + who; } %>\n"
         "<% out.println(\"x\"); int local = 1; %>\n"
         "<p><%= count %></p>\n"
         "<script language=\"javascript\">\n"
         "function f(a, b) { return a; }\n"
         "</script>\n"
         "<script type=\"text/javascript\">function g() {}</script>\n"
         "<!-- <% int hidden; %> -->\n"
         "</body></html>\n",
         tvt_jsp_scan);
    EXPECT_EQ(dump(), "DATA count\nMETHOD greet\nDATA local\nFUNCTION f\nFUNCTION g\n");
    EXPECT_EQ(find("f")->args, "(a, b)");
    EXPECT_EQ(find("f")->line, 9);
}

} // namespace
