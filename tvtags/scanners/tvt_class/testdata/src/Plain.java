public record Plain(int x, String y) {
    abstract static class Base { abstract Object make(); }
}
